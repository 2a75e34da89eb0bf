#include "tests/support/FakeNetApi.h"

#include <algorithm>

namespace testing_support {

std::vector<NetApiCall> FakeNetApi::CallsTo(const std::wstring& api) const {
    std::vector<NetApiCall> found;
    for (const auto& c : calls)
        if (c.api == api) found.push_back(c);
    return found;
}

void FakeNetApi::AddGroup(const std::wstring& name, std::vector<std::wstring> members) {
    groups.emplace_back(name, std::move(members));
}

std::vector<std::wstring>* FakeNetApi::MembersOf(const std::wstring& group) {
    for (auto& [name, members] : groups)
        if (name == group) return &members;
    return nullptr;
}

void FakeNetApi::DeleteUser(const std::wstring& name) {
    users.erase(std::remove(users.begin(), users.end(), name), users.end());
    for (auto& [group, members] : groups)
        members.erase(std::remove(members.begin(), members.end(), Qualified(name)), members.end());
}

std::uint32_t FakeNetApi::Scripted(std::deque<std::uint32_t>& statuses) {
    if (statuses.empty()) return accounts::kNerrSuccess;
    const std::uint32_t status = statuses.front();
    statuses.pop_front();
    return status;
}

std::wstring FakeNetApi::Qualified(const std::wstring& member) const {
    return member.find(L'\\') == std::wstring::npos ? computer + L"\\" + member : member;
}

// The resume handle is the position of the next entry; 0 starts at the top.
accounts::NamePage FakeNetApi::Page(const std::vector<std::wstring>& all,
                                    std::uintptr_t& resumeHandle) {
    accounts::NamePage page;
    const std::size_t start = std::min<std::size_t>(resumeHandle, all.size());
    const std::size_t take =
        pageSize == 0 ? all.size() - start : std::min(pageSize, all.size() - start);
    page.names.assign(all.begin() + static_cast<std::ptrdiff_t>(start),
                      all.begin() + static_cast<std::ptrdiff_t>(start + take));
    if (start + take < all.size()) {
        page.status = accounts::kErrorMoreData;
        resumeHandle = start + take;
    } else {
        page.status = accounts::kNerrSuccess;
        resumeHandle = 0;
    }
    return page;
}

accounts::NamePage FakeNetApi::UserEnum(const std::wstring& server, std::uint32_t filter,
                                        std::uint32_t preferredMaxLength,
                                        std::uintptr_t& resumeHandle) {
    calls.push_back({L"NetUserEnum", server, L"", L"", filter, preferredMaxLength, resumeHandle});
    if (const std::uint32_t status = Scripted(userEnumStatus)) return {status, {}};
    return Page(users, resumeHandle);
}

accounts::NamePage FakeNetApi::LocalGroupEnum(const std::wstring& server,
                                              std::uint32_t preferredMaxLength,
                                              std::uintptr_t& resumeHandle) {
    calls.push_back({L"NetLocalGroupEnum", server, L"", L"", 0, preferredMaxLength, resumeHandle});
    if (const std::uint32_t status = Scripted(groupEnumStatus)) return {status, {}};
    std::vector<std::wstring> names;
    for (const auto& [name, members] : groups) names.push_back(name);
    return Page(names, resumeHandle);
}

accounts::NamePage FakeNetApi::LocalGroupGetMembers(const std::wstring& server,
                                                    const std::wstring& group,
                                                    std::uint32_t preferredMaxLength,
                                                    std::uintptr_t& resumeHandle) {
    calls.push_back(
        {L"NetLocalGroupGetMembers", server, group, L"", 0, preferredMaxLength, resumeHandle});
    if (const std::uint32_t status = Scripted(membersStatus)) return {status, {}};
    const auto* members = MembersOf(group);
    if (!members) return {kNerrGroupNotFound, {}};
    return Page(*members, resumeHandle);
}

std::uint32_t FakeNetApi::LocalGroupAddMember(const std::wstring& group,
                                              const std::wstring& member) {
    calls.push_back({L"NetLocalGroupAddMembers", L"", group, member, 0, 0, 0});
    if (const std::uint32_t status = Scripted(addStatus)) return status;
    auto* members = MembersOf(group);
    if (!members) return kNerrGroupNotFound;
    const std::wstring qualified = Qualified(member);
    const std::wstring bare = qualified.substr(qualified.find(L'\\') + 1);
    if (qualified.compare(0, computer.size() + 1, computer + L"\\") == 0 &&
        std::find(users.begin(), users.end(), bare) == users.end())
        return kErrorNoSuchMember;
    if (std::find(members->begin(), members->end(), qualified) != members->end())
        return accounts::kErrorMemberInAlias;
    members->push_back(qualified);
    return accounts::kNerrSuccess;
}

std::uint32_t FakeNetApi::LocalGroupDelMember(const std::wstring& group,
                                              const std::wstring& member) {
    calls.push_back({L"NetLocalGroupDelMembers", L"", group, member, 0, 0, 0});
    if (const std::uint32_t status = Scripted(delStatus)) return status;
    auto* members = MembersOf(group);
    if (!members) return kNerrGroupNotFound;
    auto it = std::find(members->begin(), members->end(), Qualified(member));
    if (it == members->end()) return kErrorMemberNotInAlias;
    members->erase(it);
    return accounts::kNerrSuccess;
}

}  // namespace testing_support
