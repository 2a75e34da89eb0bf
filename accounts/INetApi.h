#pragma once
// The network management calls for local users and groups, reduced to what
// the account module needs. Each listing call makes exactly one API call and
// hands back one page: the status, the names read out of the API's buffer
// (already copied, the buffer already released) and the resume handle for the
// next page. Deciding what to ask for and whether to ask again stays with
// mdlLocalAccMgmt, so that the Win32 implementation only makes the calls.
#include <cstdint>
#include <string>
#include <vector>

namespace accounts {

// Status values of the network management API that the module interprets.
constexpr std::uint32_t kNerrSuccess = 0;
constexpr std::uint32_t kErrorMoreData = 234;
constexpr std::uint32_t kErrorMemberInAlias = 1378;  // the account already is a member

// Preferred maximum length that asks for everything in one buffer.
constexpr std::uint32_t kMaxPreferredLength = 0xFFFFFFFFu;
// NetUserEnum filter: normal user accounts only.
constexpr std::uint32_t kFilterNormalAccount = 2;

// One page of a listing call.
struct NamePage {
    std::uint32_t status = kNerrSuccess;
    // The names of the entries read, in buffer order; filled when the status
    // is success or more data, empty otherwise.
    std::vector<std::wstring> names;
};

class INetApi {
  public:
    virtual ~INetApi() = default;

    // NetUserEnum at level 0: the USER_INFO_0 names. The resume handle goes
    // in as the call's resume handle and comes back as the call left it.
    virtual NamePage UserEnum(const std::wstring& server, std::uint32_t filter,
                              std::uint32_t preferredMaxLength, std::uintptr_t& resumeHandle) = 0;

    // NetLocalGroupEnum at level 0: the LOCALGROUP_INFO_0 names.
    virtual NamePage LocalGroupEnum(const std::wstring& server, std::uint32_t preferredMaxLength,
                                    std::uintptr_t& resumeHandle) = 0;

    // NetLocalGroupGetMembers at level 2: the domain-and-name text of each
    // LOCALGROUP_MEMBERS_INFO_2 (a null pointer reads as the empty text).
    virtual NamePage LocalGroupGetMembers(const std::wstring& server, const std::wstring& group,
                                          std::uint32_t preferredMaxLength,
                                          std::uintptr_t& resumeHandle) = 0;

    // NetLocalGroupAddMembers / NetLocalGroupDelMembers on the local computer
    // (no server name) at level 3 with one LOCALGROUP_MEMBERS_INFO_3 record.
    virtual std::uint32_t LocalGroupAddMember(const std::wstring& group,
                                              const std::wstring& member) = 0;
    virtual std::uint32_t LocalGroupDelMember(const std::wstring& group,
                                              const std::wstring& member) = 0;
};

}  // namespace accounts
