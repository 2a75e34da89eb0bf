#pragma once
// Connection names, the static-DNS test and IPv4 address checks for the
// Network Settings dialog. The first three read the registry under
// HKEY_LOCAL_MACHINE; the last is pure text processing. None of them reports
// anything to the user or lets a failure escape.
#include <string>

#include "sysaccess/IAutomation.h"

namespace app {
struct Services;
}

namespace network {

// Where the connection names live: one sub-key per adapter, named after its
// SettingID, each with a "Connection" key holding the value "Name".
inline constexpr const wchar_t* kNetworkClassKey =
    L"SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
// Per-interface TCP/IP parameters; "NameServer" holds static DNS servers.
inline constexpr const wchar_t* kTcpipInterfacesKey =
    L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";

// "SYSTEM\...\{4D36E972-...}\<settingId>\Connection".
std::wstring ConnectionKeyPath(const std::wstring& settingId);
// "SYSTEM\...\Interfaces\<settingId>".
std::wstring InterfaceKeyPath(const std::wstring& settingId);

// The adapter identifier whose connection name equals the given one without
// regard to case (the first in the registry's enumeration order), or empty.
std::wstring GetSettingIDForConnection(app::Services& services, const std::wstring& connectionName);

// The connection name of a Win32_NetworkAdapterConfiguration object, or empty
// when it has none (or its SettingID cannot be read).
std::wstring GetConnectionName(app::Services& services, sysaccess::IAutoObject& adapter);

// True unless the interface records static DNS servers ("NameServer" non-empty).
bool IsDnsAutomatic(app::Services& services, const std::wstring& settingId);

// True for the empty text and for a dotted quad of decimal groups 0..255
// (leading zeros allowed, an empty group reads as 0). Everything else, however
// hostile, is simply invalid.
bool IsValidIPAddress(const std::wstring& text) noexcept;

}  // namespace network
