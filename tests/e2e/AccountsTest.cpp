// Users & Groups of the real program under Wine: the users the system
// reports, the New User window's option boxes and its failure to create an
// account without a directory provider, and Set Password for a listed user.
#include <windows.h>
#include <gtest/gtest.h>
// clang-format off
#include <lm.h>
// clang-format on

#include <string>
#include <vector>

#include "tests/e2e/support/E2eDriver.h"

namespace {

using e2e::QuillonProcess;

const wchar_t kMainCaption[] = L"Quillon by Varnholt";
const wchar_t kAccountsCaption[] = L"Account Management";
const wchar_t kNewUserCaption[] = L"New User";
const wchar_t kMustChange[] = L"User must change password at next logon";
const wchar_t kCannotChange[] = L"User cannot change password";
const wchar_t kNeverExpires[] = L"Password never expires";
const wchar_t kDisabled[] = L"Account is disabled";

// The normal accounts as the system reports them to this process.
std::vector<std::wstring> SystemUsers() {
    std::vector<std::wstring> names;
    LPBYTE buffer = nullptr;
    DWORD read = 0, total = 0, resume = 0;
    if (::NetUserEnum(nullptr, 0, FILTER_NORMAL_ACCOUNT, &buffer, MAX_PREFERRED_LENGTH, &read,
                      &total, &resume) == NERR_Success) {
        const auto* users = reinterpret_cast<const USER_INFO_0*>(buffer);
        for (DWORD i = 0; i < read; ++i) names.emplace_back(users[i].usri0_name);
    }
    if (buffer) ::NetApiBufferFree(buffer);
    return names;
}

std::vector<std::wstring> ListEntries(HWND list) {
    std::vector<std::wstring> entries;
    DWORD_PTR count = 0;
    if (!::SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count))
        return entries;
    for (DWORD_PTR i = 0; i < count; ++i) {
        DWORD_PTR length = 0;
        ::SendMessageTimeoutW(list, LB_GETTEXTLEN, i, 0, SMTO_ABORTIFHUNG, 5000, &length);
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        DWORD_PTR copied = 0;
        ::SendMessageTimeoutW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()),
                              SMTO_ABORTIFHUNG, 5000, &copied);
        text.resize(static_cast<std::size_t>(copied));
        entries.push_back(text);
    }
    return entries;
}

// A mouse click on the first entry, as the user selects it.
void ClickFirstEntry(HWND list) {
    DWORD_PTR height = 0;
    ::SendMessageTimeoutW(list, LB_GETITEMHEIGHT, 0, 0, SMTO_ABORTIFHUNG, 5000, &height);
    const LPARAM at = MAKELPARAM(4, static_cast<int>(height) / 2);
    ::PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(list, WM_LBUTTONUP, 0, at);
}

int SelectedIndex(HWND list) {
    DWORD_PTR index = static_cast<DWORD_PTR>(-1);
    ::SendMessageTimeoutW(list, LB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &index);
    return static_cast<int>(static_cast<LRESULT>(index));
}

bool IsPasswordBox(HWND edit) { return (::GetWindowLongW(edit, GWL_STYLE) & ES_PASSWORD) != 0; }

// Opens Account Management from the main menu.
HWND OpenAccounts(QuillonProcess& app) {
    HWND main = app.WaitForWindow(kMainCaption);
    if (!main) return nullptr;
    e2e::Click(e2e::FindChild(main, L"&Users&&Groups"));
    return app.WaitForWindow(kAccountsCaption);
}

TEST(Accounts, UsersAndGroupsListsTheUsersTheSystemReports) {
    const auto expected = SystemUsers();
    ASSERT_FALSE(expected.empty()) << "the system reports no users";
    QuillonProcess app;
    HWND accounts = OpenAccounts(app);
    ASSERT_NE(accounts, nullptr);
    const auto lists = e2e::ChildrenOfClass(accounts, L"ListBox");
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_TRUE(e2e::WaitUntil([&] { return ListEntries(lists[0]) == expected; }))
        << "first entry shown: "
        << (ListEntries(lists[0]).empty() ? "none" : e2e::Narrow(ListEntries(lists[0])[0]));
    for (const wchar_t* caption : {L"&Delete User", L"&Password", L"&New User", L"&Main Menu",
                                   L">>", L"<<", L"Group Management"})
        EXPECT_NE(e2e::FindChild(accounts, caption), nullptr) << e2e::Narrow(caption);

    // A second window beside the first; "Main Menu" closes only its own.
    HWND main = app.WaitForWindow(kMainCaption);
    e2e::Click(e2e::FindChild(main, L"&Users&&Groups"));
    ASSERT_TRUE(e2e::WaitUntil([&] { return app.Windows(kAccountsCaption).size() == 2; }));
    e2e::Click(e2e::FindChild(accounts, L"&Main Menu"));
    EXPECT_TRUE(e2e::WaitUntil([&] { return app.Windows(kAccountsCaption).size() == 1; }));
    EXPECT_TRUE(::IsWindow(main));
}

TEST(Accounts, NewUserOptionBoxesInterlockAndCreationFailsWithADescription) {
    QuillonProcess app;
    HWND accounts = OpenAccounts(app);
    ASSERT_NE(accounts, nullptr);
    e2e::Click(e2e::FindChild(accounts, L"&New User"));
    HWND window = app.WaitForWindow(kNewUserCaption);
    ASSERT_NE(window, nullptr);

    HWND mustChange = e2e::FindChild(window, kMustChange);
    HWND cannotChange = e2e::FindChild(window, kCannotChange);
    HWND neverExpires = e2e::FindChild(window, kNeverExpires);
    HWND disabled = e2e::FindChild(window, kDisabled);
    ASSERT_TRUE(mustChange && cannotChange && neverExpires && disabled);
    EXPECT_TRUE(e2e::IsChecked(mustChange));
    EXPECT_TRUE(e2e::IsEnabled(mustChange));
    EXPECT_FALSE(e2e::IsChecked(cannotChange));
    EXPECT_FALSE(e2e::IsEnabled(cannotChange));
    EXPECT_FALSE(e2e::IsChecked(neverExpires));
    EXPECT_FALSE(e2e::IsEnabled(neverExpires));
    EXPECT_FALSE(e2e::IsChecked(disabled));
    EXPECT_TRUE(e2e::IsEnabled(disabled));

    e2e::SetChecked(mustChange, false);
    EXPECT_TRUE(e2e::WaitUntil(
        [&] { return e2e::IsEnabled(cannotChange) && e2e::IsEnabled(neverExpires); }));
    e2e::SetChecked(neverExpires, true);
    EXPECT_TRUE(e2e::WaitUntil([&] { return !e2e::IsEnabled(mustChange); }));
    EXPECT_FALSE(e2e::IsChecked(mustChange));
    e2e::SetChecked(neverExpires, false);
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::IsEnabled(mustChange); }));
    e2e::SetChecked(mustChange, true);
    EXPECT_TRUE(e2e::WaitUntil([&] { return !e2e::IsEnabled(neverExpires); }));
    EXPECT_TRUE(e2e::IsEnabled(disabled));

    // Validation first: nothing typed.
    e2e::Click(e2e::FindChild(window, L"Create"));
    auto box = app.WaitForMessageBox();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->title, L"Quillon");
    EXPECT_EQ(box->text, L"Username is missing");
    e2e::PressMessageBoxButton(*box, L"OK");
    ASSERT_TRUE(e2e::WaitUntil([&] { return !app.CurrentMessageBox().has_value(); }));

    const auto edits = e2e::ChildrenOfClass(window, L"Edit");
    ASSERT_EQ(edits.size(), 5u);
    EXPECT_FALSE(IsPasswordBox(edits[0]));
    EXPECT_TRUE(IsPasswordBox(edits[3]));
    EXPECT_TRUE(IsPasswordBox(edits[4]));
    e2e::SetText(edits[0], L"quillon_e2e");
    e2e::SetText(edits[3], L"Pa55word!");
    e2e::SetText(edits[4], L"Pa55word!");
    e2e::Click(e2e::FindChild(window, L"Create"));
    box = app.WaitForMessageBox();
    ASSERT_TRUE(box.has_value());
    const std::wstring prefix = L"Failed to create user account. The error was: ";
    EXPECT_EQ(box->text.rfind(prefix, 0), 0u) << e2e::Narrow(box->text);
    EXPECT_GT(box->text.size(), prefix.size()) << "no description";
    EXPECT_EQ(box->title, L"Quillon");
    e2e::PressMessageBoxButton(*box, L"OK");
    ASSERT_TRUE(e2e::WaitUntil([&] { return !app.CurrentMessageBox().has_value(); }));
    EXPECT_TRUE(::IsWindowVisible(window)) << "the window stays open after a failure";
    EXPECT_EQ(e2e::Text(edits[0]), L"quillon_e2e");

    // Closing it reloads the opener, which stays open.
    e2e::Close(window);
    EXPECT_TRUE(e2e::WaitUntil([&] { return app.Windows(kNewUserCaption).empty(); }));
    EXPECT_TRUE(::IsWindowVisible(accounts));
    EXPECT_FALSE(app.CurrentMessageBox().has_value());
}

TEST(Accounts, SetPasswordIsCaptionedWithTheSelectedUser) {
    const auto users = SystemUsers();
    ASSERT_FALSE(users.empty());
    QuillonProcess app;
    HWND accounts = OpenAccounts(app);
    ASSERT_NE(accounts, nullptr);
    HWND userList = e2e::ChildrenOfClass(accounts, L"ListBox").at(0);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !ListEntries(userList).empty(); }));

    // Nothing selected: the button opens nothing.
    e2e::Click(e2e::FindChild(accounts, L"&Password"));
    ::Sleep(500);
    EXPECT_TRUE(app.Windows(L"Set password for " + users[0]).empty());

    ClickFirstEntry(userList);
    ASSERT_TRUE(e2e::WaitUntil([&] { return SelectedIndex(userList) == 0; }));
    e2e::Click(e2e::FindChild(accounts, L"&Password"));
    HWND window = app.WaitForWindow(L"Set password for " + users[0]);
    ASSERT_NE(window, nullptr) << "no window captioned for " << e2e::Narrow(users[0]);

    const auto edits = e2e::ChildrenOfClass(window, L"Edit");
    ASSERT_EQ(edits.size(), 2u);
    EXPECT_TRUE(IsPasswordBox(edits[0]));
    EXPECT_TRUE(IsPasswordBox(edits[1]));
    e2e::SetText(edits[0], L"One");
    e2e::SetText(edits[1], L"one");
    e2e::Click(e2e::FindChild(window, L"OK"));
    auto box = app.WaitForMessageBox();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, L"Passwords do not match! Password will not be changed.");
    e2e::PressMessageBoxButton(*box, L"OK");
    ASSERT_TRUE(e2e::WaitUntil([&] { return !app.CurrentMessageBox().has_value(); }));
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::Text(edits[1]).empty(); }));
    // The first box has the focus with its whole text selected.
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::FocusedControl(window) == edits[0]; }));
    DWORD_PTR selection = 0;
    ::SendMessageTimeoutW(edits[0], EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &selection);
    EXPECT_EQ(LOWORD(selection), 0);
    EXPECT_EQ(HIWORD(selection), 3);

    e2e::SetText(edits[1], L"One");
    e2e::Click(e2e::FindChild(window, L"OK"));
    box = app.WaitForMessageBox();
    ASSERT_TRUE(box.has_value());
    const std::wstring prefix = L"Password change failed. The error was: ";
    EXPECT_EQ(box->text.rfind(prefix, 0), 0u) << e2e::Narrow(box->text);
    EXPECT_GT(box->text.size(), prefix.size());
    e2e::PressMessageBoxButton(*box, L"OK");
    ASSERT_TRUE(e2e::WaitUntil([&] { return !app.CurrentMessageBox().has_value(); }));
    EXPECT_TRUE(::IsWindowVisible(window));
    e2e::Click(e2e::FindChild(window, L"Cancel"));
    EXPECT_TRUE(e2e::WaitUntil([&] { return !::IsWindow(window); }));
}

}  // namespace
