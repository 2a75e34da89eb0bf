#pragma once
// The computer's local users and groups behind accounts::INetApi, for tests.
// Listings come in pages of pageSize entries (0: all in one) with "more data"
// and a resume handle until the end; membership changes as the real API
// changes it. A status scripted for an API name answers that API's next call
// instead; every call is recorded as "<API> <arguments>".
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

    accounts::NamePage UserEnum(const std::wstring& server, std::uint32_t filter,
                                std::uint32_t preferredMaxLength,
                                std::uintptr_t& resumeHandle) override;
    accounts::NamePage LocalGroupEnum(const std::wstring& server, std::uint32_t preferredMaxLength,
                                      std::uintptr_t& resumeHandle) override;
    accounts::NamePage LocalGroupGetMembers(const std::wstring& server, const std::wstring& group,
                                            std::uint32_t preferredMaxLength,
                                            std::uintptr_t& resumeHandle) override;
    std::uint32_t LocalGroupAddMember(const std::wstring& group,
                                      const std::wstring& member) override;
    std::uint32_t LocalGroupDelMember(const std::wstring& group,
                                      const std::wstring& member) override;

  private:
    std::uint32_t Record(const std::wstring& api, const std::wstring& arguments);
    accounts::NamePage Listing(const std::wstring& api, const std::wstring& arguments,
                               std::uint32_t preferredMaxLength, std::uintptr_t& resumeHandle,
                               const std::vector<std::wstring>* all);
    std::vector<std::wstring>* MembersOf(const std::wstring& group);
    std::wstring Qualified(const std::wstring& member) const;
};

}  // namespace fakes
