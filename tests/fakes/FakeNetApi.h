#pragma once
// The computer's local users and groups behind accounts::INetApi, for tests.
// Listings come in pages of pageSize entries (0: all in one) with "more data"
// and a resume handle until the end. Each call answers the next status scripted
// for its API name instead, if any (a listing then gives no names and keeps its
// resume handle); every call is recorded as "<API> <arguments>".
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
    // A change the status allows changes membership as the real API does; a bare
    // name is a local account.
    std::uint32_t LocalGroupAddMember(const std::wstring& group,
                                      const std::wstring& member) override {
        const auto status = Record(L"NetLocalGroupAddMembers [" + group + L"] [" + member + L"]");
        if (auto* members = MembersOf(group); members && !status)
            members->push_back(Qualified(member));
        return status;
    }
    std::uint32_t LocalGroupDelMember(const std::wstring& group,
                                      const std::wstring& member) override {
        const auto status = Record(L"NetLocalGroupDelMembers [" + group + L"] [" + member + L"]");
        if (auto* members = MembersOf(group); members && !status)
            std::erase(*members, Qualified(member));
        return status;
    }

  private:
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
        if (!all) return {2220, {}};  // no such group
        const std::size_t start = std::min<std::size_t>(resume, all->size());
        const std::size_t end = pageSize ? std::min(start + pageSize, all->size()) : all->size();
        resume = end < all->size() ? end : 0;
        return {end < all->size() ? accounts::kErrorMoreData : accounts::kNerrSuccess,
                {all->begin() + std::ptrdiff_t(start), all->begin() + std::ptrdiff_t(end)}};
    }
    std::vector<std::wstring>* MembersOf(const std::wstring& group) {
        auto it = std::ranges::find(groups, group, &decltype(groups)::value_type::first);
        return it == groups.end() ? nullptr : &it->second;
    }
    std::wstring Qualified(const std::wstring& member) const {
        return member.find(L'\\') == std::wstring::npos ? computer + L"\\" + member : member;
    }
};

}  // namespace fakes
