// The WinRM dialog of the real program, opened from the main menu, with a
// stand-in winrm.cmd in the program's folder that keeps a pretend listener
// (winrm-listener.txt) and reads its behaviour from winrm-mode.txt.
#include <windows.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "tests/e2e/support/E2eDriver.h"

namespace {

using e2e::QuillonProcess;

struct WinRMFromMainMenu : ::testing::Test {
    QuillonProcess app;
    HWND dialog = nullptr;

    void SetUp() override {
        dialog = app.OpenFromMainMenu(L"&WinRM", L"WinRM");
        ASSERT_NE(dialog, nullptr) << "no WinRM window";
    }

    void SetMode(const char* mode) {
        const std::string path = e2e::Narrow(app.Folder() + L"\\winrm-mode.txt");
        std::ofstream(path, std::ios::binary) << mode << "\r\n";
    }

    // Presses a button of the dialog and returns the message box it brings,
    // after closing it with OK.
    e2e::MessageBoxInfo Press(const std::wstring& caption) {
        HWND button = e2e::FindChild(dialog, caption);
        EXPECT_NE(button, nullptr) << e2e::Narrow(caption);
        e2e::Click(button);
        auto box = app.WaitForMessageBox();
        if (!box) {
            ADD_FAILURE() << "no message box after " << e2e::Narrow(caption);
            return {};
        }
        EXPECT_EQ(box->title, L"Quillon");
        EXPECT_EQ(box->buttons, std::vector<std::wstring>{L"OK"});
        e2e::PressMessageBoxButton(*box, L"OK");
        EXPECT_TRUE(e2e::WaitUntil([&] { return !app.CurrentMessageBox().has_value(); }));
        return *box;
    }
};

bool Contains(const std::wstring& text, const std::wstring& phrase) {
    return text.find(phrase) != std::wstring::npos;
}

TEST_F(WinRMFromMainMenu, EnableThenEnableAgainThenDisableTwice) {
    EXPECT_EQ(e2e::Text(dialog), L"WinRM");
    EXPECT_EQ(Press(L"&Enable WinRM").text, L"Successfully enabled WinRM");

    // Configured already: the tool's own words, in the older wording...
    const std::wstring older = Press(L"&Enable WinRM").text;
    EXPECT_TRUE(Contains(older, L"WinRM already is set up for remote management"))
        << e2e::Narrow(older);
    // ...and in the newer one, which is no failure either.
    SetMode("new");
    const std::wstring newer = Press(L"&Enable WinRM").text;
    EXPECT_TRUE(Contains(newer, L"WinRM is already set up for remote management"))
        << e2e::Narrow(newer);
    EXPECT_FALSE(Contains(newer, L"Failed"));

    // The tool prints nothing when it deletes the listener, and reports the
    // missing listener on standard error.
    EXPECT_EQ(Press(L"&Disable WinRM").text, L"Successfully disabled WinRM");
    EXPECT_EQ(Press(L"&Disable WinRM").text, L"WinRM already disabled");
    EXPECT_TRUE(app.Running());
    EXPECT_TRUE(e2e::IsVisible(dialog));
}

TEST_F(WinRMFromMainMenu, ToolErrorsAreReportedAsFailures) {
    SetMode("denied");
    EXPECT_EQ(Press(L"&Enable WinRM").text, L"Failed to enable WinRM");
    const std::wstring disabled = Press(L"&Disable WinRM").text;
    EXPECT_EQ(disabled.rfind(L"Failed to disable WinRM", 0), 0u) << e2e::Narrow(disabled);
    EXPECT_TRUE(Contains(disabled, L"Access is denied.")) << e2e::Narrow(disabled);
}

TEST_F(WinRMFromMainMenu, MissingToolIsAFailureBothWays) {
    ASSERT_TRUE(::DeleteFileW((app.Folder() + L"\\winrm.cmd").c_str()));
    EXPECT_EQ(Press(L"&Enable WinRM").text, L"Failed to enable WinRM");
    const std::wstring disabled = Press(L"&Disable WinRM").text;
    EXPECT_EQ(disabled.rfind(L"Failed to disable WinRM", 0), 0u) << e2e::Narrow(disabled);
    EXPECT_TRUE(
        Contains(disabled, L"Failed to create process, check the path of the command line."))
        << e2e::Narrow(disabled);
}

TEST_F(WinRMFromMainMenu, ExitClosesTheDialogOnly) {
    e2e::Click(e2e::FindChild(dialog, L"E&xit"));
    EXPECT_TRUE(e2e::WaitUntil([&] { return app.Windows(L"WinRM").empty(); }));
    EXPECT_NE(app.WaitForWindow(L"Quillon by Varnholt", 1000), nullptr);
    EXPECT_TRUE(app.Running());
}

}  // namespace
