// One smoke test for each dialog of the real program through its real channel:
// the system's services (under Wine a domain join and the account directory
// refuse, with a description), the prefix's registry and the stand-in tools.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "tests/e2e/support/E2eDriver.h"

namespace {

using e2e::Children, e2e::Click, e2e::FindChild, e2e::SetText;

TEST(ComputerName, ShowsTheNameAndJoinsADomainWithThePromptsCredentials) {
    e2e::QuillonProcess app;
    HWND dialog = app.OpenFromMainMenu(L"&Computer Name", L"Computer Name Changes");
    ASSERT_NE(dialog, nullptr);
    const auto boxes = Children(dialog, L"Edit");  // name, domain, workgroup
    EXPECT_NE(e2e::Text(boxes.at(0)), L"");
    Click(FindChild(dialog, L"Domain:"));
    ASSERT_TRUE(e2e::WaitUntil([&] { return ::IsWindowEnabled(boxes.at(1)); }));
    SetText(boxes[1], L"corp");
    Click(FindChild(dialog, L"&OK"));
    HWND prompt = app.WaitForWindow(L"Credentials for CORP domain:");
    ASSERT_NE(prompt, nullptr) << "no credentials prompt";
    SetText(Children(prompt, L"Edit").at(0), L"CORP\\admin");
    SetText(Children(prompt, L"Edit").at(1), L"secret");
    Click(FindChild(prompt, L"OK"));
    EXPECT_EQ(app.Answer(IDOK).rfind(L"Quillon: Domain join failed. The error code was: ", 0), 0u);
}

// Types a password into the last two boxes, presses the button, answers OK.
std::wstring Submit(const e2e::QuillonProcess& app, HWND window, const wchar_t* button) {
    const auto boxes = Children(window, L"Edit");
    SetText(boxes.rbegin()[0], L"Pa55word!");
    SetText(boxes.rbegin()[1], L"Pa55word!");
    Click(FindChild(window, button));
    return app.Answer(IDOK);
}

TEST(Accounts, ListsTheSystemsUsersAndReportsTheDirectorysRefusals) {
    e2e::QuillonProcess app;
    HWND accounts = app.OpenFromMainMenu(L"&Users&&Groups", L"Account Management");
    ASSERT_NE(accounts, nullptr);
    HWND list = Children(accounts, L"ListBox").at(0);
    ASSERT_GT(e2e::Send(list, LB_GETCOUNT), 0u) << "Wine's users are not listed";
    Click(FindChild(accounts, L"&New User"));
    HWND newUser = app.WaitForWindow(L"New User");
    ASSERT_NE(newUser, nullptr);
    SetText(Children(newUser, L"Edit").at(0), L"quillon_e2e");
    EXPECT_EQ(Submit(app, newUser, L"Create").rfind(L"Quillon: Failed to create user account. ", 0),
              0u);
    Click(FindChild(newUser, L"Close"));
    // A click on the first user selects it, as the mouse does.
    ::PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    ::PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    Click(FindChild(accounts, L"&Password"));
    HWND password = nullptr;  // for the user's name, "Set password for NAME"
    ASSERT_TRUE(e2e::WaitUntil([&] {
        return e2e::Text(password = ::GetForegroundWindow()).starts_with(L"Set password for ");
    }));
    EXPECT_EQ(Submit(app, password, L"OK").rfind(L"Quillon: Password change failed. ", 0), 0u);
}

// Keys that a test makes are volatile: they go when Wine's server stops, and
// the prefix keeps nothing of the test. (Keys below a volatile one, as Wine's
// Video key, must be volatile too.)
void SetValue(const std::wstring& key, const wchar_t* name, DWORD type, const void* data,
              DWORD size) {
    HKEY made = nullptr;
    ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_WRITE,
                      nullptr, &made, nullptr);
    const std::unique_ptr<HKEY__, decltype(&::RegCloseKey)> owned(made, &::RegCloseKey);
    if (name) ::RegSetValueExW(made, name, 0, type, static_cast<const BYTE*>(data), size);
}
void SetDword(const std::wstring& key, const wchar_t* name, DWORD value) {
    SetValue(key, name, REG_DWORD, &value, sizeof value);
}
DWORD ReadDword(const std::wstring& key, const wchar_t* name) {
    DWORD value = 0xFFFFFFFF, size = sizeof value;
    ::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

TEST(Network, ShowsAConnectionThatTheInstrumentationReportsByItsName) {
    const std::unique_ptr<FILE, int (*)(FILE*)> wmic(
        _wpopen(L"wmic nicconfig get SettingID", L"rb"), &_pclose);
    std::wstring ids;  // wmic writes UTF-16
    for (wchar_t c; wmic && std::fread(&c, sizeof c, 1, wmic.get()) == 1;) ids += c;
    ASSERT_NE(ids.find(L'{'), ids.npos) << "wmic reported no adapter";
    for (auto open = ids.find(L'{'); open != ids.npos; open = ids.find(L'{', open + 1))
        SetValue(
            L"SYSTEM\\CurrentControlSet\\Control\\Network\\"
            L"{4D36E972-E325-11CE-BFC1-08002BE10318}\\" +
                ids.substr(open, ids.find(L'}', open) - open + 1) + L"\\Connection",
            L"Name", REG_SZ, L"Quillon e2e LAN", sizeof L"Quillon e2e LAN");
    e2e::QuillonProcess app;
    HWND dialog = app.OpenFromMainMenu(L"&Networking", L"Network Settings");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(e2e::Text(Children(dialog, L"ComboBox").at(0)), L"Quillon e2e LAN");
}

TEST(RemoteDesktop, ShowsTheStoredValuesAndSavesTheTickedBoxes) {
    const std::wstring server = L"System\\CurrentControlSet\\Control\\Terminal Server";
    const std::wstring rdpTcp = server + L"\\Winstations\\RDP-Tcp";
    SetDword(server, L"fDenyTSConnections", 1);
    SetDword(rdpTcp, L"UserAuthentication", 0);
    e2e::QuillonProcess app;
    HWND dialog = app.OpenFromMainMenu(L"&RDP", L"Remote Desktop Settings");
    ASSERT_NE(dialog, nullptr);
    HWND allow = FindChild(dialog, L"Allow Remote Administration Connections");
    HWND legacy = FindChild(dialog, L"Allow Connections from previous versions of Windows");
    EXPECT_FALSE(e2e::IsChecked(allow));
    EXPECT_TRUE(e2e::IsChecked(legacy));
    for (HWND button : {allow, legacy, FindChild(dialog, L"&Save")}) Click(button);
    ASSERT_TRUE(e2e::WaitUntil([&] { return app.Windows(L"Remote Desktop Settings").empty(); }));
    EXPECT_EQ(ReadDword(server, L"fDenyTSConnections"), 0u);
    EXPECT_EQ(ReadDword(rdpTcp, L"UserAuthentication"), 1u);
}

TEST(Display, ShowsTheAdaptersResolutionAndSavesAPreset) {
    // An adapter that sorts before Wine's own.
    const std::wstring settings =
        L"System\\CurrentControlSet\\Control\\Video\\"
        L"{00000000-0000-0000-0000-0000000e2e00}\\0000";
    SetValue(settings + L"\\VolatileSettings", nullptr, 0, nullptr, 0);
    SetDword(settings, L"DefaultSettings.XResolution", 1366);
    SetDword(settings, L"DefaultSettings.YResolution", 768);
    e2e::QuillonProcess app;
    HWND dialog = app.OpenFromMainMenu(L"&Display", L"Display Settings");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(e2e::IsChecked(FindChild(dialog, L"Custom:")));
    EXPECT_EQ(e2e::Text(Children(dialog, L"Edit").at(0)), L"1366");
    Click(FindChild(dialog, L"1024 x 768"));
    Click(FindChild(dialog, L"&Save Settings"));
    EXPECT_EQ(app.Answer(IDOK),
              L"Quillon: Display Resolution set and will take effect after restart.");
    EXPECT_EQ(ReadDword(settings, L"DefaultSettings.XResolution"), 1024u);
    EXPECT_EQ(ReadDword(settings, L"DefaultSettings.YResolution"), 768u);
}

TEST(WinRM, EnableAndDisableRunTheToolsBatchFile) {
    e2e::QuillonProcess app(
        {L"winrm.cmd"},
        "> winrm.cmd quickconfig\r\nWinRM has been updated for remote management.\r\n");
    HWND dialog = app.OpenFromMainMenu(L"&WinRM", L"WinRM");
    ASSERT_NE(dialog, nullptr);
    Click(FindChild(dialog, L"&Enable WinRM"));
    EXPECT_EQ(app.Answer(IDOK), L"Quillon: Successfully enabled WinRM");
    Click(FindChild(dialog, L"&Disable WinRM"));
    EXPECT_EQ(app.Answer(IDOK), L"Quillon: Successfully disabled WinRM");
    EXPECT_EQ(app.ToolRuns(),
              (std::vector<std::string>{
                  "winrm.cmd quickconfig -quiet",
                  "winrm.cmd delete winrm/config/Listener?Address=*+Transport=HTTP"}));
}

TEST(Firewall, TickedBoxesRunNetshAndItsAnswersMakeTheSummary) {
    e2e::QuillonProcess app({L"netsh.exe"}, "> netsh.exe\r\n\r\nOk.\r\n");
    HWND dialog = app.OpenFromMainMenu(L"&Firewall", L"Firewall Configuration");
    ASSERT_NE(dialog, nullptr);
    for (const wchar_t* box :
         {L"Remote Administration", L"Enable ICMP (Ping) Replies", L"Enable selected rule groups"})
        Click(FindChild(dialog, box));
    EXPECT_EQ(app.Answer(IDOK), L"Quillon: Successfully enabled selected firewall rule groups.");
    EXPECT_EQ(app.ToolRuns(),
              (std::vector<std::string>{"netsh.exe advfirewall firewall set rule group=\"Remote "
                                        "Administration\" New enable = yes",
                                        "netsh.exe firewall set icmpsetting 8"}));
}

}  // namespace
