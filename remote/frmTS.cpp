#include "remote/frmTS.h"

#include "app/FormCatalog.h"
#include "app/Services.h"
#include "sysaccess/cRegistry.h"
#include "ui/Shell.h"

namespace remote {

namespace {

static app::FormRegistration registration(L"frmTS", [](app::Services& services) {
    return ui::NewForm<frmTS>(services);
});

// A value that could not be read arrives as the empty variant and counts as
// 0. Anything that is not a number counts as "not 0", so its box is unticked.
bool IsZero(const sysaccess::Variant& value) {
    if (value.IsEmpty()) return true;
    if (!value.IsInteger() && !value.IsText()) return false;
    try {
        return value.ToInt32() == 0;
    } catch (const sysaccess::VbError&) {
        return false;
    }
}

std::wstring RefusedValue(const wchar_t* key, const wchar_t* name) {
    return L"the registry value \"" + std::wstring(name) + L"\" in \"HKEY_LOCAL_MACHINE\\" + key +
           L"\" could not be written.";
}

}  // namespace

frmTS::frmTS(app::Services& services) : ui::Form(*services.shell, L"frmTS"), services_(services) {
    SetCaption(L"Remote Desktop Settings");
    clientWidth = 5295;
    clientHeight = 2175;

    chkTSEnabled = &Add<ui::CheckBox>(L"chkTSEnabled");
    chkTSEnabled->SetCaption(L"Allow Remote Administration Connections");
    chkTSEnabled->bounds = {120, 120, 4215, 495};

    chkLegacyTSEnabled = &Add<ui::CheckBox>(L"chkLegacyTSEnabled");
    chkLegacyTSEnabled->SetCaption(L"Allow Connections from previous versions of Windows");
    chkLegacyTSEnabled->bounds = {120, 720, 4935, 495};

    cmdSave = &Add<ui::Button>(L"cmdSave");
    cmdSave->SetCaption(L"&Save");
    cmdSave->bounds = {1200, 1440, 2655, 495};
    cmdSave->Click = [this] { cmdSave_Click(); };

    SetTabOrder({chkTSEnabled, chkLegacyTSEnabled, cmdSave});
}

void frmTS::Form_Load() {
    sysaccess::cRegistry reg(*services_.registry);
    reg.SetClassKey(sysaccess::kHkeyLocalMachine);
    reg.SetSectionKey(kServerKey);
    reg.SetValueKey(kDenyConnectionsValue);
    reg.SetValueType(sysaccess::kRegDword);
    const sysaccess::Variant denyConnections = reg.Value();

    reg.SetSectionKey(kRdpTcpKey);
    reg.SetValueKey(kUserAuthenticationValue);
    reg.SetValueType(sysaccess::kRegDword);
    const sysaccess::Variant userAuthentication = reg.Value();

    chkTSEnabled->SetValue(IsZero(denyConnections) ? 1 : 0);
    chkLegacyTSEnabled->SetValue(IsZero(userAuthentication) ? 1 : 0);
}

void frmTS::cmdSave_Click() {
    sysaccess::cRegistry reg(*services_.registry);
    reg.SetClassKey(sysaccess::kHkeyLocalMachine);
    if (!WriteSetting(reg, kServerKey, kDenyConnectionsValue, chkTSEnabled->Value() == 1 ? 0 : 1)) {
        // The second value is not attempted, so nothing has changed.
        GetShell().MsgBox(L"The Remote Desktop settings were not saved: " +
                              RefusedValue(kServerKey, kDenyConnectionsValue),
                          ui::kMbIconCritical);
        return;
    }
    if (!WriteSetting(reg, kRdpTcpKey, kUserAuthenticationValue,
                      chkLegacyTSEnabled->Value() == 1 ? 0 : 1)) {
        // The first value is already in force: say so, by the boxes the user sees.
        GetShell().MsgBox(L"The Remote Desktop settings were only partly saved: \"" +
                              chkTSEnabled->Caption() + L"\" was saved, but \"" +
                              chkLegacyTSEnabled->Caption() + L"\" was not: " +
                              RefusedValue(kRdpTcpKey, kUserAuthenticationValue),
                          ui::kMbIconCritical);
        return;
    }
    Unload();
}

bool frmTS::WriteSetting(sysaccess::cRegistry& reg, const wchar_t* key, const wchar_t* name,
                         std::int32_t value) {
    reg.SetSectionKey(key);
    reg.SetValueKey(name);
    reg.SetValueType(sysaccess::kRegDword);
    try {
        reg.SetValue(sysaccess::Variant(value));
        return true;
    } catch (const sysaccess::VbError&) {
        return false;
    }
}

}  // namespace remote
