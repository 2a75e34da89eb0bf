#include "network/mdlWMINetwork.h"

#include <cstddef>
#include <exception>

#include "app/Services.h"
#include "sysaccess/cRegistry.h"

namespace network {

namespace {

// Lower case for the scripts connection names are written in (Latin, Greek,
// Cyrillic); the comparison must not depend on the process's C locale.
wchar_t LowerChar(wchar_t c) {
    if (c >= L'A' && c <= L'Z') return static_cast<wchar_t>(c + 32);
    if (c < 0x80) return c;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F))
        return static_cast<wchar_t>(c + 32);
    if (c >= 0x400 && c <= 0x40F) return static_cast<wchar_t>(c + 80);
    // Latin Extended-A pairs capital/small on even/odd code points, except in
    // the runs 0x0138-0x0148 and 0x0179-0x017E, which pair odd/even.
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c | 1;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c & 1) ? static_cast<wchar_t>(c + 1) : c;
    return c;
}

std::wstring Lowered(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) out.push_back(LowerChar(c));
    return out;
}

std::wstring ReadMachineText(app::Services& services, const std::wstring& section,
                             const std::wstring& name) {
    sysaccess::cRegistry reg(*services.registry);
    reg.SetClassKey(sysaccess::kHkeyLocalMachine);
    reg.SetSectionKey(section);
    reg.SetValueKey(name);
    reg.SetValueType(static_cast<std::int32_t>(sysaccess::kRegSz));
    return reg.Value().ToText();
}

}  // namespace

std::wstring ConnectionKeyPath(const std::wstring& settingId) {
    return std::wstring(kNetworkClassKey) + L"\\" + settingId + L"\\Connection";
}

std::wstring InterfaceKeyPath(const std::wstring& settingId) {
    return std::wstring(kTcpipInterfacesKey) + settingId;
}

std::wstring GetSettingIDForConnection(app::Services& services,
                                       const std::wstring& connectionName) {
    try {
        sysaccess::cRegistry reg(*services.registry);
        reg.SetClassKey(sysaccess::kHkeyLocalMachine);
        reg.SetSectionKey(kNetworkClassKey);
        std::vector<std::wstring> subkeys;
        int count = 0;
        reg.EnumerateSections(subkeys, count);
        const std::wstring wanted = Lowered(connectionName);
        for (const std::wstring& settingId : subkeys) {
            std::wstring name;
            try {
                name = ReadMachineText(services, ConnectionKeyPath(settingId), L"Name");
            } catch (const std::exception&) {
                // A value of a kind that is not text names no connection.
            }
            if (Lowered(name) == wanted) return settingId;
        }
    } catch (const std::exception&) {
        // An unreadable list of adapters holds no match.
    }
    return {};
}

std::wstring GetConnectionName(app::Services& services, sysaccess::IAutoObject& adapter) {
    try {
        const std::wstring settingId = adapter.Get(L"SettingID").ToText();
        return ReadMachineText(services, ConnectionKeyPath(settingId), L"Name");
    } catch (const std::exception&) {
        return {};
    }
}

bool IsDnsAutomatic(app::Services& services, const std::wstring& settingId) {
    try {
        return ReadMachineText(services, InterfaceKeyPath(settingId), L"NameServer").empty();
    } catch (const std::exception&) {
        return true;
    }
}

bool IsValidIPAddress(const std::wstring& text) noexcept {
    if (text.empty()) return true;
    if (text.front() == L'.' || text.back() == L'.') return false;
    int dots = 0;
    for (wchar_t c : text) {
        if (c == L'.') {
            ++dots;
        } else if (c < L'0' || c > L'9') {
            return false;
        }
    }
    if (dots != 3) return false;
    // Only digits and exactly three inner dots are left: each group is a
    // (possibly empty) run of digits. Anything above 255 is invalid whether or
    // not it would still fit a 32-bit integer, so the value stops growing there.
    int value = 0;
    for (wchar_t c : text) {
        if (c == L'.') {
            value = 0;
            continue;
        }
        value = value * 10 + (c - L'0');
        if (value > 255) return false;
    }
    return true;
}

}  // namespace network
