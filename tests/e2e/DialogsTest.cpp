// One smoke test for each dialog of the real program through its real channel:
// the system's services (under Wine a domain join and the account directory
// refuse, with a description), the prefix's registry and the stand-in tools:
// for the Features window the listing tool and its installer where present,
// otherwise DISM.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <type_traits>

#include "tests/e2e/support/E2eDriver.h"

namespace {

using e2e::Children, e2e::Click, e2e::FindChild, e2e::SetText;

TEST(ComputerName, ShowsTheNameAndJoinsADomainWithThePromptsCredentials) {
    e2e::QuillonProcess app;
    HWND dialog = app.OpenFromMainMenu(L"&Computer Name", L"Computer Name Changes");
    ASSERT_NE(dialog, nullptr);
    const auto boxes = Children(dialog, L"Edit");  // name, domain, workgroup
    EXPECT_NE(e2e::Text(boxes.at(0)), L"");
    Click(dialog, L"Domain:");
    ASSERT_TRUE(e2e::WaitUntil([&] { return ::IsWindowEnabled(boxes.at(1)); }));
    SetText(boxes[1], L"corp");
    Click(dialog, L"&OK");
    HWND prompt = app.WaitFor(L"Credentials for CORP domain:");
    ASSERT_NE(prompt, nullptr) << "no credentials prompt";
    SetText(Children(prompt, L"Edit").at(0), L"CORP\\admin");
    SetText(Children(prompt, L"Edit").at(1), L"secret");
    Click(prompt, L"OK");
    EXPECT_EQ(app.Answer(IDOK).rfind(L"Quillon: Domain join failed. The error code was: ", 0), 0u);
}

// Types a password into the last two boxes, presses the button, answers OK.
std::wstring Submit(const e2e::QuillonProcess& app, HWND window, const wchar_t* button) {
    const auto boxes = Children(window, L"Edit");
    SetText(boxes.rbegin()[0], L"Pa55word!");
    SetText(boxes.rbegin()[1], L"Pa55word!");
    Click(window, button);
    return app.Answer(IDOK);
}

TEST(Accounts, ListsTheSystemsUsersAndReportsTheDirectorysRefusals) {
    e2e::QuillonProcess app;
    HWND accounts = app.OpenFromMainMenu(L"&Users&&Groups", L"Account Management");
    ASSERT_NE(accounts, nullptr);
    HWND list = Children(accounts, L"ListBox").at(0);
    ASSERT_GT(e2e::Send(list, LB_GETCOUNT), 0u) << "Wine's users are not listed";
    Click(accounts, L"&New User");
    HWND newUser = app.WaitFor(L"New User");
    ASSERT_NE(newUser, nullptr);
    SetText(Children(newUser, L"Edit").at(0), L"quillon_e2e");
    EXPECT_EQ(Submit(app, newUser, L"Create").rfind(L"Quillon: Failed to create user account. ", 0),
              0u);
    Click(newUser, L"Close");
    // A click on the first user selects it, as the mouse does.
    ::PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    ::PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    Click(accounts, L"&Password");
    wchar_t user[64] = {};  // at most 20 characters
    e2e::Send(list, LB_GETTEXT, 0, LPARAM(user));
    HWND password = app.WaitFor((L"Set password for " + std::wstring(user)).c_str());
    ASSERT_NE(password, nullptr);
    EXPECT_EQ(Submit(app, password, L"OK").rfind(L"Quillon: Password change failed. ", 0), 0u);
}

// Keys that a test makes are volatile: they go when Wine's server stops, and
// the prefix keeps nothing of the test. (Keys below a volatile one, as Wine's
// Video key, must be volatile too.) The value is a DWORD or a text literal.
template <typename T>
void Set(const std::wstring& key, const wchar_t* name, const T& value) {
    HKEY made = nullptr;
    ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_WRITE,
                      nullptr, &made, nullptr);
    const std::unique_ptr<HKEY__, decltype(&::RegCloseKey)> owned(made, &::RegCloseKey);
    ::RegSetValueExW(made, name, 0, std::is_same_v<T, DWORD> ? REG_DWORD : REG_SZ,
                     reinterpret_cast<const BYTE*>(&value), sizeof value);
}
DWORD ReadDword(const std::wstring& key, const wchar_t* name) {
    DWORD value = 0xFFFFFFFF, size = sizeof value;
    ::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

TEST(Network, ShowsAConnectionThatTheInstrumentationReportsByItsName) {
    const std::wstring adapters =
        L"SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\";
    const std::unique_ptr<FILE, int (*)(FILE*)> wmic(
        _wpopen(L"wmic nicconfig get SettingID", L"rb"), &_pclose);
    std::wstring ids;  // wmic writes UTF-16
    for (wchar_t c; wmic && std::fread(&c, sizeof c, 1, wmic.get()) == 1;) ids += c;
    ASSERT_NE(ids.find(L'{'), ids.npos) << "wmic reported no adapter";
    for (auto open = ids.find(L'{'); open != ids.npos; open = ids.find(L'{', open + 1))
        Set(adapters + ids.substr(open, ids.find(L'}', open) - open + 1) + L"\\Connection", L"Name",
            L"Quillon e2e LAN");
    e2e::QuillonProcess app;
    HWND dialog = app.OpenFromMainMenu(L"&Networking", L"Network Settings");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(e2e::Text(Children(dialog, L"ComboBox").at(0)), L"Quillon e2e LAN");
}

TEST(RemoteDesktop, ShowsTheStoredValuesAndSavesTheTickedBoxes) {
    const std::wstring server = L"System\\CurrentControlSet\\Control\\Terminal Server";
    const std::wstring rdpTcp = server + L"\\Winstations\\RDP-Tcp";
    Set(server, L"fDenyTSConnections", DWORD(1));
    Set(rdpTcp, L"UserAuthentication", DWORD(0));
    e2e::QuillonProcess app;
    HWND dialog = app.OpenFromMainMenu(L"&RDP", L"Remote Desktop Settings");
    ASSERT_NE(dialog, nullptr);
    HWND allow = FindChild(dialog, L"Allow Remote Administration Connections");
    HWND legacy = FindChild(dialog, L"Allow Connections from previous versions of Windows");
    EXPECT_NE(e2e::Send(allow, BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(e2e::Send(legacy, BM_GETCHECK), BST_CHECKED);
    for (HWND button : {allow, legacy, FindChild(dialog, L"&Save")}) Click(button);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !app.Find(L"Remote Desktop Settings"); }));
    EXPECT_EQ(ReadDword(server, L"fDenyTSConnections"), 0u);
    EXPECT_EQ(ReadDword(rdpTcp, L"UserAuthentication"), 1u);
}

TEST(Display, ShowsTheAdaptersResolutionAndSavesAPreset) {
    // An adapter that sorts before Wine's own.
    const std::wstring settings =
        L"System\\CurrentControlSet\\Control\\Video\\"
        L"{00000000-0000-0000-0000-0000000e2e00}\\0000";
    Set(settings + L"\\VolatileSettings", nullptr, L"");  // the key marks a current adapter
    Set(settings, L"DefaultSettings.XResolution", DWORD(1366));
    Set(settings, L"DefaultSettings.YResolution", DWORD(768));
    e2e::QuillonProcess app;
    HWND dialog = app.OpenFromMainMenu(L"&Display", L"Display Settings");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(e2e::Text(Children(dialog, L"Edit").at(0)), L"1366");
    Click(dialog, L"1024 x 768");
    Click(dialog, L"&Save Settings");
    EXPECT_EQ(app.Answer(IDOK),
              L"Quillon: Display Resolution set and will take effect after restart.");
    EXPECT_EQ(ReadDword(settings, L"DefaultSettings.XResolution"), 1024u);
    EXPECT_EQ(ReadDword(settings, L"DefaultSettings.YResolution"), 768u);
}

TEST(WinRM, EnableRunsTheToolsBatchFile) {
    e2e::QuillonProcess app({L"winrm.cmd"}, "WinRM has been updated for remote management.\n");
    HWND dialog = app.OpenFromMainMenu(L"&WinRM", L"WinRM");
    ASSERT_NE(dialog, nullptr);
    Click(dialog, L"&Enable WinRM");
    EXPECT_EQ(app.Answer(IDOK), L"Quillon: Successfully enabled WinRM");
    EXPECT_EQ(app.ToolRuns(), std::vector<std::string>{"winrm.cmd quickconfig -quiet"});
}

TEST(Firewall, TickedBoxesRunNetshAndItsAnswersMakeTheSummary) {
    e2e::QuillonProcess app({L"netsh.exe"}, "\nOk.\n");
    HWND dialog = app.OpenFromMainMenu(L"&Firewall", L"Firewall Configuration");
    ASSERT_NE(dialog, nullptr);
    for (const wchar_t* box :
         {L"Remote Administration", L"Enable ICMP (Ping) Replies", L"Enable selected rule groups"})
        Click(dialog, box);
    EXPECT_EQ(app.Answer(IDOK), L"Quillon: Successfully enabled selected firewall rule groups.");
    EXPECT_EQ(app.ToolRuns(),
              (std::vector<std::string>{"netsh.exe advfirewall firewall set rule group=\"Remote "
                                        "Administration\" New enable = yes",
                                        "netsh.exe firewall set icmpsetting 8"}));
}

// The tree's names show in the commands that ticking and clearing them runs,
// in order, and in the log; a change that needs a restart offers one.
const std::string kList = "dism.exe /Online /English /Get-Features /Format:Table";
const std::string kEnable = "dism.exe /Online /English /NoRestart /Enable-Feature";
const std::string kDisable = "dism.exe /Online /English /NoRestart /Disable-Feature";
const std::string kRestart = "\r\nWindows must restart to complete this change.";

struct FeaturesRow {
    std::vector<std::wstring> tools;
    std::string reply;                 // of every tool
    std::string shape;                 // each item's depth, "+" when ticked
    std::vector<std::size_t> toggled;  // items ticked or cleared, in this order
    std::vector<std::string> runs;
    std::string log;
};

const FeaturesRow kFeatureRows[] = {
    {{L"oclist.exe", L"ocsetup.exe"},  // Wine reports no 64-bit build: the 32-bit tool
     "Not Installed:BitLocker\nInstalled:WindowsServerBackup\n       |\n"
     "       |--- Installed:WindowsServerBackupCommandlet\n",
     "1 1+ 2+ ",
     {0, 1},  // clearing the second clears its child
     {"oclist.exe", "ocsetup.exe BitLocker", "ocsetup.exe WindowsServerBackup /uninstall",
      "oclist.exe"},
     "\r\nInstalling feature: BitLocker\r\nExecuting: cmd /c ocsetup BitLocker\r\nUninstalling "
     "feature: WindowsServerBackup\r\nExecuting: cmd /c ocsetup WindowsServerBackup /uninstall"},
    {{L"dism.exe"},  // and no listing tool
     "Deployment Image Servicing and Management tool\n\n"
     "------------------ | -----------------------------\nFeature Name       | State\n"
     "------------------ | -----------------------------\nTelnetClient       | Disabled\n"
     "Microsoft-Hyper-V  | Disabled with Payload Removed\nIIS-WebServerRole  | Enabled\n\n"
     "The operation completed successfully.\nRestart Windows to complete this operation.\n",
     "1 1 1+ ",
     {0, 2},
     {kList, kEnable + " /FeatureName:TelnetClient /All",
      kDisable + " /FeatureName:IIS-WebServerRole", kList},
     "\r\nInstalling feature: TelnetClient\r\nExecuting: " + kEnable +
         " /FeatureName:TelnetClient /All" + kRestart +
         "\r\nUninstalling feature: IIS-WebServerRole\r\nExecuting: " + kDisable +
         " /FeatureName:IIS-WebServerRole" + kRestart},
};

TEST(Features, TheToolsListingMakesTheTreeAndTogglesRunItsCommands) {
    for (const FeaturesRow& row : kFeatureRows) {
        SCOPED_TRACE(row.runs[0]);
        e2e::QuillonProcess app(row.tools, row.reply);
        HWND window = app.OpenFromMainMenu(L"&Features", L"Server Features and Roles");
        ASSERT_NE(window, nullptr);
        HWND tree = e2e::Children(window, L"SysTreeView32").at(0);
        const auto next = [&](HTREEITEM item, WPARAM relation) {
            return HTREEITEM(e2e::Send(tree, TVM_GETNEXTITEM, relation, LPARAM(item)));
        };
        const auto ticked = [&](HTREEITEM item) {  // state image 2 of the check boxes
            return e2e::Send(tree, TVM_GETITEMSTATE, WPARAM(item), TVIS_STATEIMAGEMASK) >> 12 == 2;
        };
        std::vector<HTREEITEM> items;  // in display order: every node shows expanded
        std::string shape;
        for (HTREEITEM item = next(nullptr, TVGN_ROOT); item; item = next(item, TVGN_NEXTVISIBLE)) {
            items.push_back(item);
            int depth = 1;
            for (HTREEITEM up = next(item, TVGN_PARENT); up; up = next(up, TVGN_PARENT)) ++depth;
            shape += std::to_string(depth) + (ticked(item) ? "+ " : " ");
        }
        EXPECT_EQ(shape, row.shape);
        for (std::size_t index : row.toggled) {  // Space on the selected item, as the user does
            const bool was = ticked(items.at(index));
            e2e::Send(tree, TVM_SELECTITEM, TVGN_CARET, LPARAM(items[index]));
            ::PostMessageW(tree, WM_KEYDOWN, VK_SPACE, 0x00390001);
            ::PostMessageW(tree, WM_KEYUP, VK_SPACE, LPARAM(0xC0390001u));
            ASSERT_TRUE(e2e::WaitUntil([&] { return ticked(items[index]) != was; }));
        }
        e2e::Click(window, L"&Configure");
        if (row.log.ends_with(kRestart)) {
            EXPECT_EQ(app.Answer(IDNO),
                      L"Quillon: Windows must restart to complete the feature "
                      L"changes. Restart now?");
        }
        EXPECT_TRUE(e2e::WaitUntil([&] { return app.ToolRuns() == row.runs; }))
            << app.ToolRuns().size() << " tool runs";
        EXPECT_EQ(e2e::Text(e2e::Children(window, L"Edit").at(0)),
                  std::wstring(row.log.begin(), row.log.end()));
        EXPECT_EQ(app.Find(nullptr, L"#32770"), nullptr) << "another message";
    }
}

}  // namespace
