#include <gtest/gtest.h>

#include "accounts/frmChangePassword.h"
#include "tests/native/accounts/AccountsFixture.h"

namespace accounts_tests {
namespace {

using accounts::frmChangePassword;
using sysaccess::Variant;

const wchar_t kBobPath[] = L"WinNT://SERVER/bob, user";

struct ChangePasswordForm : AccountsFixture {
    std::shared_ptr<testing_support::FakeAutoObject> bob = binder.AddObject(kBobPath);

    ChangePasswordForm() {
        bob->OnCall(L"SetPassword", Variant());
        bob->OnCall(L"SetInfo", Variant());
    }

    // As the Account Management window opens it.
    std::shared_ptr<frmChangePassword> Open(const std::wstring& user = L"bob") {
        auto form = ui::NewForm<frmChangePassword>(services);
        form->strUserName = user;
        form->Load();
        form->Show();
        return form;
    }

    static void Type(frmChangePassword& form, const std::wstring& password,
                     const std::wstring& confirmation) {
        form.txtPassword->UserSetText(password);
        form.txtPasswordConfirm->UserSetText(confirmation);
    }
};

TEST_F(ChangePasswordForm, CaptionHasNoNameAtCreationAndTheNameOnceActivated) {
    auto form = ui::NewForm<frmChangePassword>(services);
    EXPECT_EQ(form->Caption(), L"Set password for ");
    form->strUserName = L"bob";
    EXPECT_EQ(form->Caption(), L"Set password for ");
    form->Load();
    form->Show();
    EXPECT_EQ(form->Caption(), L"Set password for bob");
    form->strUserName = L"eve";
    shell.UserActivate(*form);
    EXPECT_EQ(form->Caption(), L"Set password for eve");
}

TEST_F(ChangePasswordForm, ButtonsAndBoxesAreSetUpForTheKeyboard) {
    auto form = Open();
    EXPECT_TRUE(form->cmdOK->isDefault);
    EXPECT_TRUE(form->cmdCancel->isCancel);
    EXPECT_EQ(form->DefaultButton(), form->cmdOK);
    EXPECT_EQ(form->CancelButton(), form->cmdCancel);
    EXPECT_EQ(form->txtPassword->passwordChar, L'*');
    EXPECT_EQ(form->txtPasswordConfirm->passwordChar, L'*');
    EXPECT_EQ(form->TabOrder().front(), form->txtPassword);
    EXPECT_EQ(form->lblLabels[0]->Caption(), L"New password:");
    EXPECT_EQ(form->lblLabels[1]->Caption(), L"Confirm password:");
    EXPECT_EQ(form->lblLabels[1]->Index(), 1);
}

TEST_F(ChangePasswordForm, MismatchEmptiesTheConfirmationAndSelectsTheFirstBox) {
    auto form = Open();
    Type(*form, L"Secret1", L"secret1");
    form->txtPasswordConfirm->SetFocus();
    form->cmdOK->UserClick();
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text, L"Passwords do not match! Password will not be changed.");
    EXPECT_EQ(shell.messages[0].style, 0);
    EXPECT_EQ(shell.messages[0].title, L"Quillon");
    EXPECT_EQ(form->txtPasswordConfirm->Text(), L"");
    EXPECT_EQ(form->txtPassword->Text(), L"Secret1");
    EXPECT_TRUE(form->txtPassword->HasFocus());
    EXPECT_EQ(form->txtPassword->SelStart(), 0);
    EXPECT_EQ(form->txtPassword->SelLength(), 7);
    EXPECT_TRUE(form->IsLoaded());
    EXPECT_TRUE(binder.binds.empty()) << "nothing is written on a mismatch";
}

TEST_F(ChangePasswordForm, BothEmptyMatchAndTheEmptyPasswordGoesToTheDirectory) {
    auto form = Open();
    form->cmdOK->UserClick();
    EXPECT_EQ(binder.binds, (Names{kBobPath}));
    ASSERT_EQ(bob->CallCount(L"SetPassword"), 1);
    EXPECT_EQ(bob->CallsTo(L"SetPassword")[0].args, (std::vector<Variant>{Variant(L"")}));
    EXPECT_EQ(bob->MethodNames(), (Names{L"SetPassword", L"SetInfo"}));
    EXPECT_EQ(MessageTexts(), (Names{L"Successfully changed password for bob"}));
    EXPECT_EQ(shell.messages[0].style, 0);
    EXPECT_FALSE(form->IsLoaded());
}

TEST_F(ChangePasswordForm, FailureShowsTheLastFailuresDescriptionAndKeepsTheWindow) {
    bob->FailCall(L"SetPassword", L"The password does not meet the password policy requirements.");
    auto form = Open();
    Type(*form, L"abc", L"abc");
    form->cmdOK->UserClick();
    EXPECT_EQ(bob->MethodNames(), (Names{L"SetPassword", L"SetInfo"})) << "later steps still run";
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text,
              L"Password change failed. The error was: The password does not meet the password "
              L"policy requirements.");
    EXPECT_EQ(shell.messages[0].style, 16);
    EXPECT_TRUE(form->IsLoaded());
    EXPECT_EQ(form->txtPassword->Text(), L"abc");
    EXPECT_EQ(form->txtPasswordConfirm->Text(), L"abc");

    bob->FailCall(L"SetInfo", L"Access is denied.");
    form->cmdOK->UserClick();
    EXPECT_EQ(shell.LastMessage(), L"Password change failed. The error was: Access is denied.");
}

TEST_F(ChangePasswordForm, AMissingAccountFailsEveryStepAndTellsTheLastOne) {
    binder.FailBind(L"WinNT://SERVER/gone, user", L"The user name could not be found.");
    auto form = Open(L"gone");
    Type(*form, L"abc", L"abc");
    form->cmdOK->UserClick();
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text,
              L"Password change failed. The error was: Object variable or With block variable "
              L"not set");
    EXPECT_TRUE(form->IsLoaded());
}

TEST_F(ChangePasswordForm, SeveralWindowsWorkIndependentlyAndCancelCloses) {
    auto first = Open();
    auto second = Open();
    Type(*second, L"x", L"x");
    second->cmdOK->UserClick();
    EXPECT_FALSE(second->IsLoaded());
    EXPECT_TRUE(first->IsLoaded());
    first->cmdCancel->UserClick();
    EXPECT_FALSE(first->IsLoaded());
    EXPECT_EQ(bob->CallCount(L"SetPassword"), 1);
}

}  // namespace
}  // namespace accounts_tests
