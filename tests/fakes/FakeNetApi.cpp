#include "tests/fakes/FakeNetApi.h"

#include <algorithm>

namespace fakes {

std::vector<std::wstring>* FakeNetApi::MembersOf(const std::wstring& group) {
    for (auto& [name, members] : groups)
        if (name == group) return &members;
    return nullptr;
}

std::uint32_t FakeNetApi::Record(const std::wstring& api, const std::wstring& arguments) {
    calls.push_back(api + L" " + arguments);
    if (failAll) return failAll;
    auto& queue = statuses[api];
    if (queue.empty()) return accounts::kNerrSuccess;
    const std::uint32_t status = queue.front();
    queue.pop_front();
    return status;
}

// The resume handle is the position of the next entry; 0 starts at the top.
accounts::NamePage FakeNetApi::Page(const std::vector<std::wstring>& all,
                                    std::uintptr_t& resumeHandle) {
    const std::size_t start = std::min<std::size_t>(resumeHandle, all.size());
    const std::size_t take = pageSize ? std::min(pageSize, all.size() - start) : all.size() - start;
    accounts::NamePage page;
    page.names.assign(all.begin() + static_cast<std::ptrdiff_t>(start),
                      all.begin() + static_cast<std::ptrdiff_t>(start + take));
    const bool more = start + take < all.size();
    page.status = more ? accounts::kErrorMoreData : accounts::kNerrSuccess;
    if (!stuckResume) resumeHandle = more ? start + take : 0;
    return page;
}

std::wstring FakeNetApi::Qualified(const std::wstring& member) const {
    return member.find(L'\\') == std::wstring::npos ? computer + L"\\" + member : member;
}

accounts::NamePage FakeNetApi::UserEnum(const std::wstring& server, std::uint32_t filter,
                                        std::uint32_t preferredMaxLength,
                                        std::uintptr_t& resumeHandle) {
    if (auto status =
            Record(L"NetUserEnum", L"[" + server + L"] filter " + std::to_wstring(filter) +
                                       L" max " + std::to_wstring(preferredMaxLength) +
                                       L" resume " + std::to_wstring(resumeHandle)))
        return {status, {}};
    return Page(users, resumeHandle);
}

accounts::NamePage FakeNetApi::LocalGroupEnum(const std::wstring& server,
                                              std::uint32_t preferredMaxLength,
                                              std::uintptr_t& resumeHandle) {
    if (auto status = Record(L"NetLocalGroupEnum", L"[" + server + L"] max " +
                                                       std::to_wstring(preferredMaxLength) +
                                                       L" resume " + std::to_wstring(resumeHandle)))
        return {status, {}};
    std::vector<std::wstring> names;
    for (const auto& group : groups) names.push_back(group.first);
    return Page(names, resumeHandle);
}

accounts::NamePage FakeNetApi::LocalGroupGetMembers(const std::wstring& server,
                                                    const std::wstring& group,
                                                    std::uint32_t preferredMaxLength,
                                                    std::uintptr_t& resumeHandle) {
    if (auto status =
            Record(L"NetLocalGroupGetMembers", L"[" + server + L"] [" + group + L"] max " +
                                                   std::to_wstring(preferredMaxLength) +
                                                   L" resume " + std::to_wstring(resumeHandle)))
        return {status, {}};
    const auto* members = MembersOf(group);
    if (!members) return {kNerrGroupNotFound, {}};
    return Page(*members, resumeHandle);
}

std::uint32_t FakeNetApi::LocalGroupAddMember(const std::wstring& group,
                                              const std::wstring& member) {
    if (auto status = Record(L"NetLocalGroupAddMembers", L"[" + group + L"] [" + member + L"]"))
        return status;
    auto* members = MembersOf(group);
    if (!members) return kNerrGroupNotFound;
    const std::wstring qualified = Qualified(member);
    const std::wstring bare = qualified.substr(qualified.find(L'\\') + 1);
    if (qualified.rfind(computer + L"\\", 0) == 0 &&
        std::find(users.begin(), users.end(), bare) == users.end())
        return kErrorNoSuchMember;
    if (std::find(members->begin(), members->end(), qualified) != members->end())
        return accounts::kErrorMemberInAlias;
    members->push_back(qualified);
    return accounts::kNerrSuccess;
}

std::uint32_t FakeNetApi::LocalGroupDelMember(const std::wstring& group,
                                              const std::wstring& member) {
    if (auto status = Record(L"NetLocalGroupDelMembers", L"[" + group + L"] [" + member + L"]"))
        return status;
    auto* members = MembersOf(group);
    if (!members) return kNerrGroupNotFound;
    auto it = std::find(members->begin(), members->end(), Qualified(member));
    if (it == members->end()) return kErrorMemberNotInAlias;
    members->erase(it);
    return accounts::kNerrSuccess;
}

}  // namespace fakes
