// New User and Set Password against the real "WinNT://" binding, which Wine
// does not provide: both windows must report the failure with a description
// and stay usable.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "accounts/frmChangePassword.h"
#include "accounts/frmNewUser.h"
#include "app/Services.h"
#include "tests/support/TestShell.h"
#include "win32/Win32Automation.h"
#include "win32/Win32Identity.h"
#include "win32/Win32NetApi.h"

namespace {

struct DirectoryWine : ::testing::Test {
    testing_support::TestShell shell;
    win32::Win32NetApi netapi;
    win32::Win32Identity identity;
    win32::Win32ObjectBinder binder;
    app::Services services;
    DirectoryWine() {
        services.shell = &shell;
        services.netapi = &netapi;
        services.identity = &identity;
        services.objects = &binder;
    }

    static std::wstring DescriptionAfter(const std::wstring& message, const std::wstring& prefix) {
        if (message.rfind(prefix, 0) != 0) return L"<" + message + L">";
        return message.substr(prefix.size());
    }
};

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST_F(DirectoryWine, NewUserReportsTheFailedCreationWithADescription) {
    auto form = ui::NewForm<accounts::frmNewUser>(services);
    form->Load();
    form->Show();
    form->txtUserName->UserSetText(L"quillon_wine_test");
    form->txtPassword->UserSetText(L"Pa55word!");
    form->txtConfirmPassword->UserSetText(L"Pa55word!");
    form->cmdCreate->UserClick();
    ASSERT_EQ(shell.messages.size(), 1u);
    const std::wstring prefix = L"Failed to create user account. The error was: ";
    const std::wstring description = DescriptionAfter(shell.messages[0].text, prefix);
    EXPECT_FALSE(description.empty()) << Narrow(shell.messages[0].text);
    EXPECT_NE(description.front(), L'<') << Narrow(shell.messages[0].text);
    EXPECT_EQ(shell.messages[0].style, 16);
    EXPECT_TRUE(form->IsLoaded());
    EXPECT_EQ(form->txtUserName->Text(), L"quillon_wine_test");
    // The account cannot be found either, so a second try fails the same way.
    EXPECT_FALSE(form->UserExists(L"quillon_wine_test"));
    form->cmdCreate->UserClick();
    EXPECT_EQ(shell.messages.size(), 2u);
    form->cmdClose->UserClick();
    EXPECT_FALSE(form->IsLoaded());
}

TEST_F(DirectoryWine, SetPasswordReportsTheFailureWithADescription) {
    auto form = ui::NewForm<accounts::frmChangePassword>(services);
    form->strUserName = L"root";
    form->Load();
    form->Show();
    EXPECT_EQ(form->Caption(), L"Set password for root");
    form->txtPassword->UserSetText(L"x");
    form->txtPasswordConfirm->UserSetText(L"x");
    form->cmdOK->UserClick();
    ASSERT_EQ(shell.messages.size(), 1u);
    const std::wstring description =
        DescriptionAfter(shell.messages[0].text, L"Password change failed. The error was: ");
    EXPECT_FALSE(description.empty()) << Narrow(shell.messages[0].text);
    EXPECT_NE(description.front(), L'<') << Narrow(shell.messages[0].text);
    EXPECT_EQ(shell.messages[0].style, 16);
    EXPECT_TRUE(form->IsLoaded());
    form->cmdCancel->UserClick();
    EXPECT_FALSE(form->IsLoaded());
}

}  // namespace
