#pragma once
// A network management interface for native tests: a small model of the
// computer's users and local groups that answers the listing calls page by
// page (pageSize entries per page, more data until the end) and changes
// membership as the real API does. Failures are scripted per call kind; every
// call is recorded with the values it was given.
#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "accounts/INetApi.h"

namespace testing_support {

// Status values the fake answers with on its own.
constexpr std::uint32_t kNerrGroupNotFound = 2220;
constexpr std::uint32_t kErrorMemberNotInAlias = 1377;
constexpr std::uint32_t kErrorNoSuchMember = 1387;

struct NetApiCall {
    std::wstring api;  // "NetUserEnum", "NetLocalGroupEnum", ...
    std::wstring server;
    std::wstring group;
    std::wstring member;
    std::uint32_t filter = 0;
    std::uint32_t preferredMaxLength = 0;
    std::uintptr_t resumeHandle = 0;  // as the call received it
};

class FakeNetApi : public accounts::INetApi {
  public:
    // The computer's name, used as the domain part of local members.
    std::wstring computer = L"SERVER";
    std::vector<std::wstring> users;
    // Local groups in API order, each with its members ("domain\name").
    std::vector<std::pair<std::wstring, std::vector<std::wstring>>> groups;

    // Entries per page; 0 answers everything in one page.
    std::size_t pageSize = 0;

    // Scripted statuses for the next calls of each kind, used in order: a
    // non-zero status makes that call fail with it (no names), 0 lets the
    // call behave normally.
    std::deque<std::uint32_t> userEnumStatus;
    std::deque<std::uint32_t> groupEnumStatus;
    std::deque<std::uint32_t> membersStatus;
    std::deque<std::uint32_t> addStatus;
    std::deque<std::uint32_t> delStatus;

    std::vector<NetApiCall> calls;
    // Calls of one API, in order.
    std::vector<NetApiCall> CallsTo(const std::wstring& api) const;

    void AddGroup(const std::wstring& name, std::vector<std::wstring> members = {});
    std::vector<std::wstring>* MembersOf(const std::wstring& group);
    // Removes the user and its memberships, as deleting the account does.
    void DeleteUser(const std::wstring& name);

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
    accounts::NamePage Page(const std::vector<std::wstring>& all, std::uintptr_t& resumeHandle);
    static std::uint32_t Scripted(std::deque<std::uint32_t>& statuses);
    std::wstring Qualified(const std::wstring& member) const;
};

}  // namespace testing_support
