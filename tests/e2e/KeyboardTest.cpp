// The real program by keyboard: the main menu's access keys open their
// dialogs, and the Set Password window and the credentials prompt are worked
// with Tab, typed text, Enter and Escape only, in the tab order the windows
// define. Keys are posted to the window as the keyboard driver delivers them
// (WM_SYSKEYDOWN for Alt+letter, WM_KEYDOWN and WM_CHAR otherwise), which
// the program's message loop and dialog manager turn into clicks and focus
// moves.
#include <windows.h>
#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

#include "tests/e2e/support/E2eDriver.h"

namespace {

using e2e::QuillonProcess;

const wchar_t kMainCaption[] = L"Quillon by Varnholt";

// Alt+letter, as the keyboard sends it to the focused control of the window
// (or to the window itself when the focus is elsewhere); the program's
// message loop translates the key into WM_SYSCHAR.
void PressAltKey(HWND window, wchar_t letter) {
    HWND target = e2e::FocusedControl(window);
    if (!target || ::GetAncestor(target, GA_ROOT) != window) target = window;
    const UINT key = static_cast<UINT>(std::towupper(letter));
    const UINT scan = ::MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16) | (1 << 29);
    ::PostMessageW(target, WM_SYSKEYDOWN, key, down);
    ::PostMessageW(target, WM_SYSKEYUP, key, down | static_cast<LPARAM>(0xC0000000u));
}

bool WaitForFocus(HWND window, HWND control) {
    return e2e::WaitUntil([&] { return e2e::FocusedControl(window) == control; }, 5000);
}

std::string FocusName(HWND window) {
    HWND focus = e2e::FocusedControl(window);
    return focus ? e2e::Narrow(e2e::ClassOf(focus) + L" \"" + e2e::Text(focus) + L"\"") : "none";
}

struct AccessKey {
    wchar_t letter;
    const wchar_t* caption;
};

// "&Features" and "&Firewall" share F, and "&DCPROMO" (greyed) shares D with
// "&Display"; those are checked on their own below.
const AccessKey kUniqueKeys[] = {
    {L'u', L"Account Management"},      {L'n', L"Network Settings"},
    {L'c', L"Computer Name Changes"},   {L'w', L"WinRM"},
    {L'r', L"Remote Desktop Settings"},
};

TEST(Keyboard, AltAndTheAccessKeyOpensEachMainMenuDialog) {
    QuillonProcess app;
    HWND main = app.WaitForWindow(kMainCaption);
    ASSERT_NE(main, nullptr);
    for (const AccessKey& key : kUniqueKeys) {
        PressAltKey(main, key.letter);
        HWND dialog = app.WaitForWindow(key.caption);
        ASSERT_NE(dialog, nullptr)
            << "Alt+" << static_cast<char>(key.letter) << " opened no " << e2e::Narrow(key.caption);
        EXPECT_EQ(app.Windows(key.caption).size(), 1u);
        while (auto box = app.CurrentMessageBox()) e2e::PressMessageBoxButton(*box, L"OK");
        e2e::Close(dialog);
        ASSERT_TRUE(e2e::WaitUntil([&] { return app.Windows(key.caption).empty(); }));
    }

    // D: the greyed DCPROMO button takes no key; Display opens.
    PressAltKey(main, L'd');
    HWND display = app.WaitForWindow(L"Display Settings");
    ASSERT_NE(display, nullptr) << "Alt+D opened no Display Settings";
    ::Sleep(300);
    EXPECT_TRUE(app.Windows(L"DCPROMO").empty());
    e2e::Close(display);
    ASSERT_TRUE(e2e::WaitUntil([&] { return app.Windows(L"Display Settings").empty(); }));

    // F: one of the two buttons that share it opens its window.
    PressAltKey(main, L'f');
    EXPECT_TRUE(e2e::WaitUntil([&] {
        return app.Windows(L"Firewall Configuration").size() +
                   app.Windows(L"Server Features and Roles").size() ==
               1;
    })) << "Alt+F did not open one window";
}

TEST(Keyboard, SetPasswordByKeyboardAlone) {
    QuillonProcess app;
    HWND main = app.WaitForWindow(kMainCaption);
    ASSERT_NE(main, nullptr);
    PressAltKey(main, L'u');
    HWND accounts = app.WaitForWindow(L"Account Management");
    ASSERT_NE(accounts, nullptr);
    HWND users = e2e::FindChildByClass(accounts, L"ListBox", 0);
    ASSERT_TRUE(e2e::WaitUntil([&] { return ::SendMessageW(users, LB_GETCOUNT, 0, 0) > 0; }));
    // The list takes the focus by Tab order; Down selects its first entry.
    const LRESULT height = ::SendMessageW(users, LB_GETITEMHEIGHT, 0, 0);
    const LPARAM at = MAKELPARAM(4, static_cast<int>(height) / 2);
    ::PostMessageW(users, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(users, WM_LBUTTONUP, 0, at);
    ASSERT_TRUE(e2e::WaitUntil([&] { return ::SendMessageW(users, LB_GETCURSEL, 0, 0) == 0; }));
    PressAltKey(accounts, L'p');
    HWND window = nullptr;
    ASSERT_TRUE(e2e::WaitUntil([&] {
        for (HWND top = ::GetTopWindow(nullptr); top; top = ::GetWindow(top, GW_HWNDNEXT)) {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(top, &pid);
            if (pid == app.Id() && ::IsWindowVisible(top) &&
                e2e::Text(top).rfind(L"Set password for ", 0) == 0)
                window = top;
        }
        return window != nullptr;
    })) << "Alt+P opened no Set Password window";

    const auto edits = e2e::ChildrenOfClass(window, L"Edit");
    ASSERT_EQ(edits.size(), 2u);
    HWND ok = e2e::FindChild(window, L"OK");
    HWND cancel = e2e::FindChild(window, L"Cancel");
    ASSERT_TRUE(ok && cancel);

    // Tab order: the two boxes, OK, Cancel, and round to the first box.
    ASSERT_TRUE(WaitForFocus(window, edits[0])) << "first focus on " << FocusName(window);
    e2e::TypeText(window, L"One");
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::Text(edits[0]) == L"One"; }));
    e2e::SendKey(window, VK_TAB);
    ASSERT_TRUE(WaitForFocus(window, edits[1])) << "after one Tab: " << FocusName(window);
    e2e::TypeText(window, L"Two");
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::Text(edits[1]) == L"Two"; }));
    e2e::SendKey(window, VK_TAB);
    EXPECT_TRUE(WaitForFocus(window, ok)) << "after two Tabs: " << FocusName(window);
    e2e::SendKey(window, VK_TAB);
    EXPECT_TRUE(WaitForFocus(window, cancel)) << "after three Tabs: " << FocusName(window);
    e2e::SendKey(window, VK_TAB);
    EXPECT_TRUE(WaitForFocus(window, edits[0])) << "after four Tabs: " << FocusName(window);
    e2e::SendKey(window, VK_TAB);
    ASSERT_TRUE(WaitForFocus(window, edits[1]));

    // Enter in a text box presses the default button: OK, which refuses
    // the mismatch; Enter answers the message box.
    e2e::SendKey(window, VK_RETURN);
    auto box = app.WaitForMessageBox();
    ASSERT_TRUE(box.has_value()) << "Enter did not press OK";
    EXPECT_EQ(box->text, L"Passwords do not match! Password will not be changed.");
    e2e::SendKey(box->hwnd, VK_RETURN);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !app.CurrentMessageBox().has_value(); }))
        << "Enter did not close the message box";
    EXPECT_TRUE(WaitForFocus(window, edits[0])) << "focus after the message: " << FocusName(window);
    EXPECT_TRUE(::IsWindowVisible(window));

    // Escape presses Cancel, which closes the window and nothing else.
    e2e::SendKey(window, VK_ESCAPE);
    EXPECT_TRUE(e2e::WaitUntil([&] { return !::IsWindowVisible(window); }))
        << "Escape did not close the window";
    ::Sleep(300);
    EXPECT_FALSE(app.CurrentMessageBox().has_value());
    EXPECT_TRUE(::IsWindowVisible(accounts));
}

TEST(Keyboard, CredentialsPromptByKeyboard) {
    QuillonProcess app;
    HWND main = app.WaitForWindow(kMainCaption);
    ASSERT_NE(main, nullptr);
    PressAltKey(main, L'c');
    HWND dialog = app.WaitForWindow(L"Computer Name Changes");
    ASSERT_NE(dialog, nullptr);
    HWND domainOption = e2e::FindChild(dialog, L"Domain:");
    HWND domainBox = e2e::FindChildByClass(dialog, L"Edit", 1);
    ASSERT_TRUE(domainOption && domainBox);
    e2e::Click(domainOption);
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::IsEnabled(domainBox); }));
    e2e::SetText(domainBox, L"corp");
    e2e::Click(e2e::FindChild(dialog, L"&OK"));  // the dialog has no default button
    const wchar_t kPrompt[] = L"Credentials for CORP domain:";
    HWND prompt = app.WaitForWindow(kPrompt);
    ASSERT_NE(prompt, nullptr) << "no credentials prompt";

    const auto edits = e2e::ChildrenOfClass(prompt, L"Edit");
    ASSERT_EQ(edits.size(), 2u);
    HWND ok = e2e::FindChild(prompt, L"OK");
    HWND cancel = e2e::FindChild(prompt, L"Cancel");
    ASSERT_TRUE(ok && cancel);
    // The user name first (its label only names it), then password, OK, Cancel.
    ASSERT_TRUE(WaitForFocus(prompt, edits[0])) << "first focus on " << FocusName(prompt);
    e2e::TypeText(prompt, L"CORP\\admin");
    e2e::SendKey(prompt, VK_TAB);
    ASSERT_TRUE(WaitForFocus(prompt, edits[1])) << "after one Tab: " << FocusName(prompt);
    e2e::TypeText(prompt, L"secret");
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::Text(edits[1]) == L"secret"; }));
    e2e::SendKey(prompt, VK_TAB);
    EXPECT_TRUE(WaitForFocus(prompt, ok)) << "after two Tabs: " << FocusName(prompt);
    e2e::SendKey(prompt, VK_TAB);
    EXPECT_TRUE(WaitForFocus(prompt, cancel)) << "after three Tabs: " << FocusName(prompt);
    e2e::SendKey(prompt, VK_TAB);
    EXPECT_TRUE(WaitForFocus(prompt, edits[0])) << "after four Tabs: " << FocusName(prompt);
    EXPECT_EQ(e2e::Text(edits[0]), L"CORP\\admin");

    // Alt+P, the password label's access key, moves to the password box.
    PressAltKey(prompt, L'p');
    EXPECT_TRUE(WaitForFocus(prompt, edits[1])) << "after Alt+P: " << FocusName(prompt);

    // Escape is Cancel: the prompt goes, silently, and the dialog is usable.
    e2e::SendKey(prompt, VK_ESCAPE);
    EXPECT_TRUE(e2e::WaitUntil([&] { return app.Windows(kPrompt).empty(); }));
    EXPECT_TRUE(e2e::WaitUntil([&] { return ::IsWindowEnabled(dialog) != FALSE; }));
    ::Sleep(300);
    EXPECT_FALSE(app.CurrentMessageBox().has_value());
}

}  // namespace
