// Server Features and Roles in the real program with stand-in feature tools:
// the listing tool and its installer where present, otherwise DISM. The
// tree's names show in the commands that ticking and clearing them runs, in
// order, and in the log; a change that needs a restart offers one.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <gtest/gtest.h>

#include "tests/e2e/support/E2eDriver.h"

namespace {

const std::string kList = "dism.exe /Online /English /Get-Features /Format:Table";
const std::string kEnable = "dism.exe /Online /English /NoRestart /Enable-Feature";
const std::string kDisable = "dism.exe /Online /English /NoRestart /Disable-Feature";
const std::string kDone = "The operation completed successfully.\r\n";

struct Row {
    const char* name;
    std::vector<std::wstring> tools;
    std::string replies;
    std::string shape;                 // each item's depth, "+" when ticked
    std::vector<std::size_t> toggled;  // items ticked or cleared, in this order
    std::vector<std::string> runs;     // "oclist64.exe" shows as "oclist.exe"
    std::string log;
    bool restartOffered = false;
};

const Row kRows[] = {
    {"listing tool and installer",
     {L"oclist.exe", L"oclist64.exe", L"ocsetup.exe"},
     "> oclist\r\nNot Installed:BitLocker\r\nInstalled:WindowsServerBackup\r\n       |\r\n"
     "       |--- Installed:WindowsServerBackupCommandlet\r\n",
     "1 1+ 2+ ",
     {0, 1},  // clearing the second clears its child
     {"oclist.exe", "ocsetup.exe BitLocker", "ocsetup.exe WindowsServerBackup /uninstall",
      "oclist.exe"},
     "\r\nInstalling feature: BitLocker\r\nExecuting: cmd /c ocsetup BitLocker\r\nUninstalling "
     "feature: WindowsServerBackup\r\nExecuting: cmd /c ocsetup WindowsServerBackup /uninstall"},
    {"DISM where the listing tool is missing",
     {L"dism.exe"},
     "> " + kList + "\r\n------------------ | -----------------------------\r\n" +
         "Feature Name       | State\r\n------------------ | -----------------------------\r\n"
         "TelnetClient       | Disabled\r\nMicrosoft-Hyper-V  | Disabled with Payload Removed\r\n"
         "IIS-WebServerRole  | Enabled\r\n\r\n" +
         kDone + "> " + kEnable + "\r\n" + kDone +
         "Restart Windows to complete this operation.\r\n" + "> " + kDisable + "\r\n" + kDone,
     "1 1 1+ ",
     {0, 2},
     {kList, kEnable + " /FeatureName:TelnetClient /All",
      kDisable + " /FeatureName:IIS-WebServerRole", kList},
     "\r\nInstalling feature: TelnetClient\r\nExecuting: " + kEnable +
         " /FeatureName:TelnetClient /All\r\nWindows must restart to complete this change.\r\n"
         "Uninstalling feature: IIS-WebServerRole\r\nExecuting: " +
         kDisable + " /FeatureName:IIS-WebServerRole",
     true},
};

TEST(Features, TheToolsListingMakesTheTreeAndTogglesRunItsCommands) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        e2e::QuillonProcess app(row.tools, row.replies);
        HWND window = app.OpenFromMainMenu(L"&Features", L"Server Features and Roles");
        ASSERT_NE(window, nullptr);
        HWND tree = e2e::Children(window, L"SysTreeView32").at(0);
        const auto next = [&](HTREEITEM item, WPARAM relation) {
            return HTREEITEM(e2e::Send(tree, TVM_GETNEXTITEM, relation, LPARAM(item)));
        };
        const auto ticked = [&](HTREEITEM item) {
            return e2e::Send(tree, TVM_GETITEMSTATE, WPARAM(item), TVIS_STATEIMAGEMASK) ==
                   INDEXTOSTATEIMAGEMASK(2);
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
        e2e::Click(e2e::FindChild(window, L"&Configure"));
        if (row.restartOffered) {
            EXPECT_EQ(app.Answer(IDNO),
                      L"Quillon: Windows must restart to complete the feature "
                      L"changes. Restart now?");
        }
        std::vector<std::string> runs;
        EXPECT_TRUE(e2e::WaitUntil([&] {
            runs = app.ToolRuns();
            for (std::string& run : runs)
                if (run.starts_with("oclist64.exe")) run.erase(6, 2);
            return runs == row.runs;
        })) << runs.size()
            << " tool runs";
        EXPECT_EQ(e2e::Text(e2e::Children(window, L"Edit").at(0)),
                  std::wstring(row.log.begin(), row.log.end()));
        EXPECT_TRUE(app.Windows(nullptr, L"#32770").empty()) << "another message";
    }
}

}  // namespace
