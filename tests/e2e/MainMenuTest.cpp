// The main menu of the real program: its buttons, About from the Help menu,
// and the rule that Exit closes only the main window.
#include <gtest/gtest.h>

#include "tests/e2e/support/E2eDriver.h"

namespace {

using e2e::QuillonProcess;

const wchar_t kMainCaption[] = L"Quillon by Varnholt";
const wchar_t kAboutCaption[] = L"About Quillon";
constexpr int kHelpAbout = 0;  // the first (and only) leaf of the menu bar

struct ExpectedButton {
    const wchar_t* caption;
    bool enabled;
};

const ExpectedButton kButtons[] = {
    {L"&Users&&Groups", true}, {L"&Networking", true}, {L"&Display", true}, {L"&Firewall", true},
    {L"&Computer Name", true}, {L"&Time Zone", true},  {L"&WinRM", true},   {L"&Features", true},
    {L"&RDP", true},           {L"&DCPROMO", false},   {L"Shutdown", true}, {L"Reboot", true},
    {L"Exit", true},
};

TEST(MainMenu, ShowsThirteenButtonsWithDcpromoGreyed) {
    QuillonProcess app;
    HWND main = app.WaitForWindow(kMainCaption);
    ASSERT_NE(main, nullptr) << "no main window";
    EXPECT_EQ(e2e::ChildrenOfClass(main, L"Button").size(), 13u);
    for (const ExpectedButton& expected : kButtons) {
        HWND button = e2e::FindChild(main, expected.caption);
        ASSERT_NE(button, nullptr) << e2e::Narrow(expected.caption);
        EXPECT_EQ(e2e::ClassOf(button), L"Button") << e2e::Narrow(expected.caption);
        EXPECT_EQ(e2e::IsEnabled(button), expected.enabled) << e2e::Narrow(expected.caption);
        EXPECT_TRUE(e2e::IsVisible(button)) << e2e::Narrow(expected.caption);
    }
    // A click on the greyed button opens nothing.
    e2e::Click(e2e::FindChild(main, L"&DCPROMO"));
    ::Sleep(500);
    EXPECT_TRUE(app.Windows(L"DCPROMO").empty());
}

TEST(MainMenu, AboutOpensANewWindowEachTime) {
    QuillonProcess app;
    HWND main = app.WaitForWindow(kMainCaption);
    ASSERT_NE(main, nullptr);
    e2e::PostMenuCommand(main, kHelpAbout);
    ASSERT_TRUE(e2e::WaitUntil([&] { return app.Windows(kAboutCaption).size() == 1; }));
    e2e::PostMenuCommand(main, kHelpAbout);
    ASSERT_TRUE(e2e::WaitUntil([&] { return app.Windows(kAboutCaption).size() == 2; }));
    // The main window stays usable beside them.
    EXPECT_TRUE(e2e::IsEnabled(main));
    // OK closes one of them only.
    HWND first = app.Windows(kAboutCaption).front();
    e2e::Click(e2e::FindChild(first, L"OK"));
    EXPECT_TRUE(e2e::WaitUntil([&] { return app.Windows(kAboutCaption).size() == 1; }));
    EXPECT_TRUE(app.Running());
}

TEST(MainMenu, ExitWithADialogOpenEndsTheProgramOnlyWhenTheDialogCloses) {
    QuillonProcess app;
    HWND main = app.WaitForWindow(kMainCaption);
    ASSERT_NE(main, nullptr);
    e2e::PostMenuCommand(main, kHelpAbout);
    HWND about = app.WaitForWindow(kAboutCaption);
    ASSERT_NE(about, nullptr);

    e2e::Click(e2e::FindChild(main, L"Exit"));
    ASSERT_TRUE(e2e::WaitUntil([&] { return !::IsWindow(main); })) << "main window still open";
    EXPECT_FALSE(app.WaitForExit(1500)) << "the program ended with a dialog open";
    EXPECT_TRUE(::IsWindowVisible(about));

    e2e::Close(about);  // its title bar's close box
    ASSERT_TRUE(app.WaitForExit()) << "the program did not end with its last window";
    EXPECT_EQ(app.ExitCode(), 0u);
}

TEST(MainMenu, ExitAloneEndsTheProgram) {
    QuillonProcess app;
    HWND main = app.WaitForWindow(kMainCaption);
    ASSERT_NE(main, nullptr);
    e2e::Click(e2e::FindChild(main, L"Exit"));
    EXPECT_TRUE(app.WaitForExit());
    EXPECT_EQ(app.ExitCode(), 0u);
}

TEST(StartUp, OpenSwitchOpensTheNamedWindowInsteadOfTheMenu) {
    e2e::LaunchOptions options;
    options.args = {L"/open:frmAbout"};
    QuillonProcess app(options);
    HWND about = app.WaitForWindow(kAboutCaption);
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(app.Windows(kMainCaption).empty());
    // Enter presses its default button, which closes it and ends the program.
    e2e::SendKey(about, VK_RETURN);
    EXPECT_TRUE(app.WaitForExit());
}

}  // namespace
