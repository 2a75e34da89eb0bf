#include "win32/Win32NetApi.h"

// clang-format off
#include <windows.h>
#include <lm.h>
// clang-format on

#include "sysaccess/StringFromPointer.h"
#include "win32/NetApiBuffer.h"
#include "win32/SystemLibrary.h"

namespace win32 {

namespace {

// Windows takes both a null and an empty server name as the local computer;
// Wine's listing calls refuse the empty text (ERROR_BAD_NETPATH), so the
// local computer is always named by null.
LPCWSTR ServerName(const std::wstring& server) { return server.empty() ? nullptr : server.c_str(); }

// What a call answers when netapi32 or the function cannot be loaded.
accounts::NamePage Unavailable() {
    accounts::NamePage page;
    page.status = Netapi32().Error();
    return page;
}

bool HasEntries(NET_API_STATUS status) {
    return status == NERR_Success || status == ERROR_MORE_DATA;
}

template <typename Record, typename NameOf>
accounts::NamePage ReadPage(NET_API_STATUS status, const NetApiBuffer& buffer, DWORD entriesRead,
                            NameOf nameOf) {
    accounts::NamePage page;
    page.status = status;
    const Record* records = buffer.As<Record>();
    if (!HasEntries(status) || !records) return page;
    page.names.reserve(entriesRead);
    for (DWORD i = 0; i < entriesRead; ++i)
        page.names.push_back(sysaccess::StringFromPointer(nameOf(records[i])));
    return page;
}

}  // namespace

accounts::NamePage Win32NetApi::UserEnum(const std::wstring& server, std::uint32_t filter,
                                         std::uint32_t preferredMaxLength,
                                         std::uintptr_t& resumeHandle) {
    auto* netUserEnum = Netapi32().Function<decltype(::NetUserEnum)>("NetUserEnum");
    if (!netUserEnum) return Unavailable();
    NetApiBuffer buffer;
    DWORD entriesRead = 0;
    DWORD totalEntries = 0;
    DWORD resume = static_cast<DWORD>(resumeHandle);
    const NET_API_STATUS status =
        netUserEnum(ServerName(server), 0, filter, buffer.Receive(), preferredMaxLength,
                    &entriesRead, &totalEntries, &resume);
    resumeHandle = resume;
    return ReadPage<USER_INFO_0>(status, buffer, entriesRead,
                                 [](const USER_INFO_0& r) { return r.usri0_name; });
}

accounts::NamePage Win32NetApi::LocalGroupEnum(const std::wstring& server,
                                               std::uint32_t preferredMaxLength,
                                               std::uintptr_t& resumeHandle) {
    auto* netLocalGroupEnum =
        Netapi32().Function<decltype(::NetLocalGroupEnum)>("NetLocalGroupEnum");
    if (!netLocalGroupEnum) return Unavailable();
    NetApiBuffer buffer;
    DWORD entriesRead = 0;
    DWORD totalEntries = 0;
    DWORD_PTR resume = resumeHandle;
    const NET_API_STATUS status =
        netLocalGroupEnum(ServerName(server), 0, buffer.Receive(), preferredMaxLength, &entriesRead,
                          &totalEntries, &resume);
    resumeHandle = resume;
    return ReadPage<LOCALGROUP_INFO_0>(status, buffer, entriesRead,
                                       [](const LOCALGROUP_INFO_0& r) { return r.lgrpi0_name; });
}

accounts::NamePage Win32NetApi::LocalGroupGetMembers(const std::wstring& server,
                                                     const std::wstring& group,
                                                     std::uint32_t preferredMaxLength,
                                                     std::uintptr_t& resumeHandle) {
    auto* netLocalGroupGetMembers =
        Netapi32().Function<decltype(::NetLocalGroupGetMembers)>("NetLocalGroupGetMembers");
    if (!netLocalGroupGetMembers) return Unavailable();
    NetApiBuffer buffer;
    DWORD entriesRead = 0;
    DWORD totalEntries = 0;
    DWORD_PTR resume = resumeHandle;
    const NET_API_STATUS status =
        netLocalGroupGetMembers(ServerName(server), group.c_str(), 2, buffer.Receive(),
                                preferredMaxLength, &entriesRead, &totalEntries, &resume);
    resumeHandle = resume;
    return ReadPage<LOCALGROUP_MEMBERS_INFO_2>(
        status, buffer, entriesRead,
        [](const LOCALGROUP_MEMBERS_INFO_2& r) { return r.lgrmi2_domainandname; });
}

std::uint32_t Win32NetApi::LocalGroupAddMember(const std::wstring& group,
                                               const std::wstring& member) {
    auto* netLocalGroupAddMembers =
        Netapi32().Function<decltype(::NetLocalGroupAddMembers)>("NetLocalGroupAddMembers");
    if (!netLocalGroupAddMembers) return Netapi32().Error();
    LOCALGROUP_MEMBERS_INFO_3 record{};
    record.lgrmi3_domainandname = const_cast<LPWSTR>(member.c_str());
    return netLocalGroupAddMembers(nullptr, group.c_str(), 3, reinterpret_cast<LPBYTE>(&record), 1);
}

std::uint32_t Win32NetApi::LocalGroupDelMember(const std::wstring& group,
                                               const std::wstring& member) {
    auto* netLocalGroupDelMembers =
        Netapi32().Function<decltype(::NetLocalGroupDelMembers)>("NetLocalGroupDelMembers");
    if (!netLocalGroupDelMembers) return Netapi32().Error();
    LOCALGROUP_MEMBERS_INFO_3 record{};
    record.lgrmi3_domainandname = const_cast<LPWSTR>(member.c_str());
    return netLocalGroupDelMembers(nullptr, group.c_str(), 3, reinterpret_cast<LPBYTE>(&record), 1);
}

}  // namespace win32
