#include "tests/fakes/FakeNetApi.h"

#include <algorithm>

namespace fakes {

namespace {

constexpr std::uint32_t kNerrGroupNotFound = 2220;
constexpr std::uint32_t kErrorMemberNotInAlias = 1377;
constexpr std::uint32_t kErrorNoSuchMember = 1387;

}  // namespace

std::vector<std::wstring>* FakeNetApi::MembersOf(const std::wstring& group) {
    for (auto& [name, members] : groups)
        if (name == group) return &members;
    return nullptr;
}

std::uint32_t FakeNetApi::Record(const std::wstring& api, const std::wstring& arguments) {
    calls.push_back(api + L" " + arguments);
    auto& queue = statuses[api];
    if (failAll || queue.empty()) return failAll;
    const std::uint32_t status = queue.front();
    queue.pop_front();
    return status;
}

// The resume handle is the position of the next entry; 0 starts at the top.
accounts::NamePage FakeNetApi::Listing(const std::wstring& api, const std::wstring& arguments,
                                       std::uint32_t preferredMaxLength,
                                       std::uintptr_t& resumeHandle,
                                       const std::vector<std::wstring>* all) {
    if (auto status = Record(api, arguments + L"max " + std::to_wstring(preferredMaxLength) +
                                      L" resume " + std::to_wstring(resumeHandle)))
        return {status, {}};
    if (!all) return {kNerrGroupNotFound, {}};
    const std::size_t start = std::min<std::size_t>(resumeHandle, all->size());
    const std::size_t take =
        pageSize ? std::min(pageSize, all->size() - start) : all->size() - start;
    const bool more = start + take < all->size();
    if (!stuckResume) resumeHandle = more ? start + take : 0;
    return {more ? accounts::kErrorMoreData : accounts::kNerrSuccess,
            {all->begin() + static_cast<std::ptrdiff_t>(start),
             all->begin() + static_cast<std::ptrdiff_t>(start + take)}};
}

accounts::NamePage FakeNetApi::UserEnum(const std::wstring& server, std::uint32_t filter,
                                        std::uint32_t preferredMaxLength,
                                        std::uintptr_t& resumeHandle) {
    return Listing(L"NetUserEnum", L"[" + server + L"] filter " + std::to_wstring(filter) + L" ",
                   preferredMaxLength, resumeHandle, &users);
}

accounts::NamePage FakeNetApi::LocalGroupEnum(const std::wstring& server,
                                              std::uint32_t preferredMaxLength,
                                              std::uintptr_t& resumeHandle) {
    std::vector<std::wstring> names;
    for (const auto& group : groups) names.push_back(group.first);
    return Listing(L"NetLocalGroupEnum", L"[" + server + L"] ", preferredMaxLength, resumeHandle,
                   &names);
}

accounts::NamePage FakeNetApi::LocalGroupGetMembers(const std::wstring& server,
                                                    const std::wstring& group,
                                                    std::uint32_t preferredMaxLength,
                                                    std::uintptr_t& resumeHandle) {
    return Listing(L"NetLocalGroupGetMembers", L"[" + server + L"] [" + group + L"] ",
                   preferredMaxLength, resumeHandle, MembersOf(group));
}

// A bare name is a local account; a local account must exist to be added.
std::uint32_t FakeNetApi::LocalGroupAddMember(const std::wstring& group,
                                              const std::wstring& member) {
    if (auto status = Record(L"NetLocalGroupAddMembers", L"[" + group + L"] [" + member + L"]"))
        return status;
    auto* members = MembersOf(group);
    const std::wstring qualified = Qualified(member), local = computer + L"\\";
    if (!members) return kNerrGroupNotFound;
    if (qualified.starts_with(local) &&
        !std::count(users.begin(), users.end(), qualified.substr(local.size())))
        return kErrorNoSuchMember;
    if (std::count(members->begin(), members->end(), qualified))
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
    return std::erase(*members, Qualified(member)) ? accounts::kNerrSuccess
                                                   : kErrorMemberNotInAlias;
}

std::wstring FakeNetApi::Qualified(const std::wstring& member) const {
    return member.find(L'\\') == std::wstring::npos ? computer + L"\\" + member : member;
}

}  // namespace fakes
