#pragma once
// Local users, local groups and group membership through the network
// management API (accounts::INetApi in Services). Every listing follows the
// API's resume handle until the whole list has been read, so no list is cut
// short however many accounts the computer has; a listing that promises more
// without moving the handle on has failed. Listing failures give an empty
// list; only the member listing tells the user about its failure.
#include <cstdint>
#include <string>
#include <vector>

namespace app {
struct Services;
}

namespace accounts {

// Normal user accounts, in the order the API returns them. An empty server
// name means the local computer. count receives the number of names.
std::vector<std::wstring> GetLocalUsers(app::Services& services, const std::wstring& serverName,
                                        std::int32_t& count);

// Local groups, in API order.
std::vector<std::wstring> GetLocalGroups(app::Services& services, const std::wstring& serverName,
                                         std::int32_t& count);

// Members of the local group as "domain\name" texts, in API order. A failure
// shows "Error calling NetLocalGroupGetMembers: " with the status and gives
// an empty list.
std::vector<std::wstring> GetLocalGroupMembers(app::Services& services,
                                               const std::wstring& serverName,
                                               const std::wstring& groupName, std::int32_t& count);

// Adds the account (a bare name or "domain\name") to the local group. True on
// success or when the account already is a member. Shows nothing; status, when
// given, receives the API's status.
bool AddLocalGroupMember(app::Services& services, const std::wstring& memberName,
                         const std::wstring& groupName, std::uint32_t* status = nullptr);

// Removes the member from the local group. True on success. Shows nothing.
bool RemoveLocalGroupMember(app::Services& services, const std::wstring& memberName,
                            const std::wstring& groupName, std::uint32_t* status = nullptr);

}  // namespace accounts
