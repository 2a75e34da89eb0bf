#include "network/mdlWMINetwork.h"

#include <cstddef>
#include <exception>

#include "app/Services.h"
#include "sysaccess/TextCase.h"
#include "sysaccess/cRegistry.h"

namespace network {

namespace {

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
        for (const std::wstring& settingId : subkeys) {
            std::wstring name;
            try {
                name = ReadMachineText(services, ConnectionKeyPath(settingId), L"Name");
            } catch (const std::exception&) {
                // A value of a kind that is not text names no connection.
            }
            if (sysaccess::EqualsIgnoreCase(name, connectionName)) return settingId;
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
