#include "win32/Win32Identity.h"

// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <lm.h>
// clang-format on

#include <cstring>
#include <vector>

#include "sysaccess/StringFromPointer.h"
#include "win32/NetApiBuffer.h"
#include "win32/SystemLibrary.h"

namespace win32 {

namespace {

std::wstring FromAnsi(const char* text, std::size_t maxBytes) {
    std::size_t length = 0;
    while (length < maxBytes && text[length] != '\0') ++length;
    if (length == 0) return std::wstring();
    const int needed = ::MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0);
    if (needed <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), wide.data(), needed);
    return wide;
}

}  // namespace

std::wstring Win32Identity::ComputerName() {
    // A buffer of 100 characters as the name has always been asked for; the
    // size the call leaves says how much of it is the name.
    wchar_t buffer[100] = {};
    DWORD size = 100;
    ::GetComputerNameW(buffer, &size);
    if (size > 100) size = 100;
    return std::wstring(buffer, size);
}

bool Win32Identity::NetworkDomainName(std::wstring& domain) {
    auto* getNetworkParams = Iphlpapi().Function<decltype(::GetNetworkParams)>("GetNetworkParams");
    if (!getNetworkParams) return false;
    ULONG size = 0;
    getNetworkParams(nullptr, &size);
    if (size == 0 || size < sizeof(FIXED_INFO)) return false;
    std::vector<unsigned char> buffer(size);
    if (getNetworkParams(reinterpret_cast<FIXED_INFO*>(buffer.data()), &size) != ERROR_SUCCESS)
        return false;
    const auto* info = reinterpret_cast<const FIXED_INFO*>(buffer.data());
    domain = FromAnsi(info->DomainName, sizeof info->DomainName);
    return true;
}

std::uint32_t Win32Identity::JoinInformation(const std::wstring& server, std::wstring& name,
                                             int& status) {
    auto* netGetJoinInformation =
        Netapi32().Function<decltype(::NetGetJoinInformation)>("NetGetJoinInformation");
    if (!netGetJoinInformation) return Netapi32().Error();
    NetApiBuffer buffer;
    NETSETUP_JOIN_STATUS joinStatus = NetSetupUnknownStatus;
    const NET_API_STATUS result =
        netGetJoinInformation(server.c_str(), buffer.Receive<LPWSTR>(), &joinStatus);
    if (result != NERR_Success) return result;
    name = sysaccess::StringFromPointer(buffer.As<wchar_t>());
    status = static_cast<int>(joinStatus);
    return 0;
}

}  // namespace win32
