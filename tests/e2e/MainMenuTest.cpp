// The real program's main menu: its buttons, About, Exit (which closes the
// main window only) and the access keys. The MainMenu test also runs against
// the x86 build (tests/check-executable.sh), so it stays small.
#include <gtest/gtest.h>

#include "tests/e2e/support/E2eDriver.h"

namespace {

TEST(MainMenu, AboutFromTheHelpMenuOutlivesExit) {
    e2e::QuillonProcess app;
    HWND main = app.MainWindow();
    ASSERT_NE(main, nullptr) << "no main window";
    std::vector<std::wstring> buttons;
    for (HWND button : e2e::Children(main, L"Button"))
        buttons.push_back(e2e::Text(button) + (::IsWindowEnabled(button) ? L"" : L" (greyed)"));
    EXPECT_EQ(buttons, (std::vector<std::wstring>{
                           L"&Display", L"&Time Zone", L"&RDP", L"&Users&&Groups", L"&Firewall",
                           L"&WinRM", L"&Networking", L"&Computer Name", L"&Features",
                           L"&DCPROMO (greyed)", L"Shutdown", L"Reboot", L"Exit"}));

    e2e::PostMenuCommand(main, 0);  // Help > About, the menu's only item
    HWND about = app.WaitForWindow(L"About Quillon");
    ASSERT_NE(about, nullptr) << "no About box";
    e2e::Click(e2e::FindChild(main, L"Exit"));
    ASSERT_TRUE(e2e::WaitUntil([&] { return !::IsWindow(main); })) << "the main window stays";
    EXPECT_EQ(e2e::Text(about), L"About Quillon") << "the About box went with the main window";
    e2e::Click(e2e::FindChild(about, L"OK"));
    EXPECT_EQ(app.WaitForExit(), 0u) << "the program outlived its last window";
}

// "&DCPROMO" is greyed, so D goes to "&Display"; F, which "&Features" shares,
// goes to the first of the two in tab order.
const std::pair<char, const wchar_t*> kAccessKeys[] = {
    {'U', L"Account Management"},      {'N', L"Network Settings"},      {'D', L"Display Settings"},
    {'F', L"Firewall Configuration"},  {'C', L"Computer Name Changes"}, {'W', L"WinRM"},
    {'R', L"Remote Desktop Settings"},
};

TEST(Keyboard, AltAndTheAccessKeyOpenEachDialogAndTheDateAndTimeApplet) {
    e2e::QuillonProcess app({L"control.exe"});
    HWND main = app.MainWindow();
    ASSERT_NE(main, nullptr);
    for (const auto& [letter, caption] : kAccessKeys) {
        SCOPED_TRACE(std::string("Alt+") + letter);
        e2e::PressAltKey(main, letter);
        HWND dialog = app.WaitForWindow(caption);
        ASSERT_NE(dialog, nullptr);
        e2e::Close(dialog);
        ASSERT_TRUE(e2e::WaitUntil([&] { return !::IsWindowVisible(dialog); }));
    }
    // The time-zone button hands over to the system's applet.
    e2e::PressAltKey(main, 'T');
    EXPECT_TRUE(e2e::WaitUntil(
        [&] { return app.ToolRuns() == std::vector<std::string>{"control.exe timedate.cpl"}; }));
}

}  // namespace
