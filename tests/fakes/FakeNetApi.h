#pragma once
// The computer's local users and groups behind accounts::INetApi, for tests.
// Listings come in pages of pageSize entries (0: all in one) with "more data"
// and a resume handle until the end; membership changes as the real API
// changes it. A status scripted for an API name answers that API's next call
// instead; every call is recorded as "<API> <arguments>".
#include <algorithm>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "accounts/INetApi.h"

namespace fakes {

class FakeNetApi : public accounts::INetApi {
  public:
    std::wstring computer = L"SERVER";  // the domain part of local members
    std::vector<std::wstring> users;
    std::vector<std::pair<std::wstring, std::vector<std::wstring>>> groups;  // "domain\name"
    std::size_t pageSize = 0;
    // A listing that answers "more data" without moving its resume handle.
    bool stuckResume = false;
    std::map<std::wstring, std::deque<std::uint32_t>> statuses;  // by API name
    std::uint32_t failAll = 0;  // every call answers this status (0: none)
    std::vector<std::wstring> calls;

    accounts::NamePage UserEnum(const std::wstring& server, std::uint32_t filter, std::uint32_t max,
                                std::uintptr_t& resume) override {
        return Listing(L"NetUserEnum [" + server + L"] filter " + std::to_wstring(filter), max,
                       resume, &users);
    }
    accounts::NamePage LocalGroupEnum(const std::wstring& server, std::uint32_t max,
                                      std::uintptr_t& resume) override {
        std::vector<std::wstring> names;
        for (const auto& group : groups) names.push_back(group.first);
        return Listing(L"NetLocalGroupEnum [" + server + L"]", max, resume, &names);
    }
    accounts::NamePage LocalGroupGetMembers(const std::wstring& server, const std::wstring& group,
                                            std::uint32_t max, std::uintptr_t& resume) override {
        return Listing(L"NetLocalGroupGetMembers [" + server + L"] [" + group + L"]", max, resume,
                       MembersOf(group));
    }
    // A bare name is a local account; a local account must exist to be added.
    std::uint32_t LocalGroupAddMember(const std::wstring& group,
                                      const std::wstring& member) override {
        if (auto status = Record(L"NetLocalGroupAddMembers [" + group + L"] [" + member + L"]"))
            return status;
        auto* members = MembersOf(group);
        const std::wstring qualified = Qualified(member), local = computer + L"\\";
        if (!members) return kNerrGroupNotFound;
        if (qualified.starts_with(local) &&
            !std::count(users.begin(), users.end(), qualified.substr(local.size())))
            return 1387;  // no such member
        if (std::count(members->begin(), members->end(), qualified))
            return accounts::kErrorMemberInAlias;
        members->push_back(qualified);
        return accounts::kNerrSuccess;
    }
    std::uint32_t LocalGroupDelMember(const std::wstring& group,
                                      const std::wstring& member) override {
        if (auto status = Record(L"NetLocalGroupDelMembers [" + group + L"] [" + member + L"]"))
            return status;
        auto* members = MembersOf(group);
        if (!members) return kNerrGroupNotFound;
        return std::erase(*members, Qualified(member)) ? accounts::kNerrSuccess
                                                       : 1377;  // not a member
    }

  private:
    static constexpr std::uint32_t kNerrGroupNotFound = 2220;

    std::uint32_t Record(const std::wstring& call) {
        calls.push_back(call);
        auto& queue = statuses[call.substr(0, call.find(L' '))];
        if (failAll || queue.empty()) return failAll;
        const std::uint32_t status = queue.front();
        queue.pop_front();
        return status;
    }
    // The resume handle is the position of the next entry; 0 starts at the top.
    accounts::NamePage Listing(const std::wstring& call, std::uint32_t max, std::uintptr_t& resume,
                               const std::vector<std::wstring>* all) {
        if (auto status = Record(call + L" max " + std::to_wstring(max) + L" resume " +
                                 std::to_wstring(resume)))
            return {status, {}};
        if (!all) return {kNerrGroupNotFound, {}};
        const std::size_t start = std::min<std::size_t>(resume, all->size());
        const std::size_t end = pageSize ? std::min(start + pageSize, all->size()) : all->size();
        if (!stuckResume) resume = end < all->size() ? end : 0;
        return {end < all->size() ? accounts::kErrorMoreData : accounts::kNerrSuccess,
                {all->begin() + std::ptrdiff_t(start), all->begin() + std::ptrdiff_t(end)}};
    }
    std::vector<std::wstring>* MembersOf(const std::wstring& group) {
        for (auto& [name, members] : groups)
            if (name == group) return &members;
        return nullptr;
    }
    std::wstring Qualified(const std::wstring& member) const {
        return member.find(L'\\') == std::wstring::npos ? computer + L"\\" + member : member;
    }
};

}  // namespace fakes
