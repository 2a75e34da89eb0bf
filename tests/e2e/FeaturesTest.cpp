// Server Features and Roles in the real program with stand-in feature tools:
// the listing tool and its installer where present, otherwise DISM. The
// tree's names show in the commands that ticking and clearing them runs.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <gmock/gmock.h>

#include "tests/e2e/support/E2eDriver.h"

namespace {

struct Features {
    e2e::QuillonProcess app;
    HWND window = app.OpenFromMainMenu(L"&Features", L"Server Features and Roles");
    HWND tree = window ? e2e::Children(window, L"SysTreeView32").at(0) : nullptr;

    HTREEITEM Next(HTREEITEM item, WPARAM relation) const {
        return reinterpret_cast<HTREEITEM>(
            e2e::Send(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
    }
    // The items in display order (every node shows expanded).
    std::vector<HTREEITEM> Items() const {
        std::vector<HTREEITEM> items;
        for (HTREEITEM item = Next(nullptr, TVGN_ROOT); item; item = Next(item, TVGN_NEXTVISIBLE))
            items.push_back(item);
        return items;
    }
    // Each item's depth, and "+" when it is ticked.
    std::vector<std::string> Shape() const {
        std::vector<std::string> shape;
        for (HTREEITEM item : Items()) {
            int depth = 1;
            for (HTREEITEM up = Next(item, TVGN_PARENT); up; up = Next(up, TVGN_PARENT)) ++depth;
            const auto state = e2e::Send(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item),
                                         TVIS_STATEIMAGEMASK);
            shape.push_back(std::to_string(depth) + (state == INDEXTOSTATEIMAGEMASK(2) ? "+" : ""));
        }
        return shape;
    }
    // Selects the items and presses Space on each, as the user ticks or
    // clears them, then presses Configure.
    void Configure(const std::vector<std::size_t>& toggled) const {
        const std::vector<HTREEITEM> items = Items();
        for (std::size_t index : toggled) {
            e2e::Send(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(items.at(index)));
            ::PostMessageW(tree, WM_KEYDOWN, VK_SPACE, 0x00390001);
            ::PostMessageW(tree, WM_KEYUP, VK_SPACE, LPARAM(0xC0390001u));
        }
        e2e::Click(e2e::FindChild(window, L"&Configure"));
    }
    std::wstring Log() const { return e2e::Text(e2e::Children(window, L"Edit").at(0)); }
};

TEST(Features, ListingToolAndInstaller) {
    Features features{{{L"oclist.exe", L"oclist64.exe", L"ocsetup.exe"},
                       "> oclist\r\n"
                       "Not Installed:BitLocker\r\n"
                       "Installed:WindowsServerBackup\r\n"
                       "       |\r\n"
                       "       |--- Installed:WindowsServerBackupCommandlet\r\n"}};
    ASSERT_NE(features.window, nullptr);
    EXPECT_EQ(features.Shape(), (std::vector<std::string>{"1", "1+", "2+"}));
    features.Configure({0, 1});  // clearing the second clears its child
    ASSERT_TRUE(e2e::WaitUntil([&] { return features.app.ToolRuns().size() == 4; }));
    EXPECT_THAT(features.app.ToolRuns(),
                testing::ElementsAre(testing::StartsWith("oclist"), "ocsetup.exe BitLocker",
                                     "ocsetup.exe WindowsServerBackup /uninstall",
                                     testing::StartsWith("oclist")));
    EXPECT_EQ(features.Log(),
              L"\r\nInstalling feature: BitLocker\r\nExecuting: cmd /c ocsetup BitLocker"
              L"\r\nUninstalling feature: WindowsServerBackup"
              L"\r\nExecuting: cmd /c ocsetup WindowsServerBackup /uninstall");
}

TEST(Features, DismWhereTheListingToolIsMissing) {
    const std::string list = "dism.exe /Online /English /Get-Features /Format:Table";
    const std::string enable = "dism.exe /Online /English /NoRestart /Enable-Feature";
    const std::string disable = "dism.exe /Online /English /NoRestart /Disable-Feature";
    const std::string done = "The operation completed successfully.\r\n";
    Features features{{{L"dism.exe"},
                       "> " + list + "\r\nDeployment Image Servicing and Management tool\r\n" +
                           "------------------ | -----------------------------\r\n"
                           "Feature Name       | State\r\n"
                           "------------------ | -----------------------------\r\n"
                           "TelnetClient       | Disabled\r\n"
                           "Microsoft-Hyper-V  | Disabled with Payload Removed\r\n"
                           "IIS-WebServerRole  | Enabled\r\n\r\n" +
                           done + "> " + enable + "\r\n" + done +
                           "Restart Windows to complete this operation.\r\n> " + disable + "\r\n" +
                           done}};
    ASSERT_NE(features.window, nullptr);
    EXPECT_EQ(features.Shape(), (std::vector<std::string>{"1", "1", "1+"}));
    features.Configure({0, 2});
    // A change needs a restart: one question, answered No.
    EXPECT_EQ(features.app.Answer(L"No").buttons, (std::vector<std::wstring>{L"Yes", L"No"}));
    const std::vector<std::string> runs = {list, enable + " /FeatureName:TelnetClient /All",
                                           disable + " /FeatureName:IIS-WebServerRole", list};
    EXPECT_TRUE(e2e::WaitUntil([&] { return features.app.ToolRuns() == runs; }))
        << features.app.ToolRuns().size() << " tool runs";
    EXPECT_TRUE(features.app.Windows(L"", L"#32770").empty()) << "a second message";
    const std::wstring log = features.Log();
    const auto enabled =
        log.find(L"\r\nExecuting: " + std::wstring(runs[1].begin(), runs[1].end()));
    const auto disabled =
        log.find(L"\r\nExecuting: " + std::wstring(runs[2].begin(), runs[2].end()));
    EXPECT_LT(enabled, disabled) << log;
    EXPECT_NE(disabled, std::wstring::npos) << log;
}

}  // namespace
