#include <gtest/gtest.h>

#include "accounts/frmAccountMgmt.h"
#include "accounts/frmNewUser.h"
#include "tests/native/accounts/AccountsFixture.h"

namespace accounts_tests {
namespace {

using accounts::frmNewUser;
using sysaccess::AutoObjectPtr;
using sysaccess::Variant;
using testing_support::AutoCall;
using testing_support::FakeAutoObject;

const wchar_t kWmi[] = L"winmgmts:\\\\SERVER\\root\\cimv2";

std::wstring QueryFor(const std::wstring& quotedName) {
    return L"Select * From Win32_UserAccount Where LocalAccount=True and Name='" + quotedName +
           L"'";
}

struct NewUserForm : AccountsFixture {
    std::shared_ptr<FakeAutoObject> container = binder.AddObject(L"WinNT://SERVER");
    std::shared_ptr<FakeAutoObject> user = binder.NewObject(L"new user");
    std::shared_ptr<FakeAutoObject> wmi = binder.AddObject(kWmi);

    NewUserForm() {
        container->OnCall(L"Create", Variant(AutoObjectPtr(user)));
        user->OnCall(L"SetPassword", Variant());
        user->OnCall(L"SetInfo", Variant());
        user->OnCall(L"Put", Variant());
    }

    std::shared_ptr<frmNewUser> Open() {
        auto form = ui::NewForm<frmNewUser>(services);
        form->Load();
        form->Show();
        return form;
    }

    static void Type(frmNewUser& form, const std::wstring& name, const std::wstring& password,
                     const std::wstring& confirmation) {
        form.txtUserName->UserSetText(name);
        form.txtPassword->UserSetText(password);
        form.txtConfirmPassword->UserSetText(confirmation);
    }

    // One Win32_UserAccount object answering the query for the name.
    std::shared_ptr<FakeAutoObject> AccountInWmi(const std::wstring& quotedName) {
        auto account = binder.NewObject(L"Win32_UserAccount " + quotedName);
        account->OnCall(L"Put_", Variant());
        wmi->OnQuery(QueryFor(quotedName), {account});
        return account;
    }

    // The states of the four boxes as "value/enabled" pairs.
    static std::vector<std::pair<int, bool>> Boxes(const frmNewUser& form) {
        std::vector<std::pair<int, bool>> states;
        for (const ui::CheckBox* box : {form.chkMustChangePwd, form.chkCanNotChangePwd,
                                        form.chkPwdNeverExpires, form.chkDisabled})
            states.emplace_back(box->Value(), box->Enabled());
        return states;
    }

    // A readable journal without binds: "Call new user.SetInfo()" ...
    std::vector<std::wstring> Conversation() const {
        std::vector<std::wstring> lines;
        for (const AutoCall& c : binder.journal)
            if (c.kind != AutoCall::Kind::Bind) lines.push_back(testing_support::DescribeCall(c));
        return lines;
    }
};

using States = std::vector<std::pair<int, bool>>;

TEST_F(NewUserForm, OpensWithMustChangeCheckedAndTheTwoBelowGreyed) {
    auto form = Open();
    EXPECT_EQ(form->Caption(), L"New User");
    EXPECT_EQ(Boxes(*form), (States{{1, true}, {0, false}, {0, false}, {0, true}}));
    EXPECT_EQ(form->txtPassword->passwordChar, L'*');
    EXPECT_EQ(form->txtConfirmPassword->passwordChar, L'*');
    EXPECT_EQ(form->txtUserName->passwordChar, 0);
    EXPECT_FALSE(form->cmdCreate->isDefault);
    EXPECT_FALSE(form->cmdClose->isCancel);
    EXPECT_EQ(form->chkMustChangePwd->Caption(), L"User must change password at next logon");
    EXPECT_EQ(form->chkCanNotChangePwd->Caption(), L"User cannot change password");
    EXPECT_EQ(form->chkPwdNeverExpires->Caption(), L"Password never expires");
    EXPECT_EQ(form->chkDisabled->Caption(), L"Account is disabled");
    const std::vector<ui::Control*> order = form->TabOrder();
    auto at = [&](ui::Control* c) {
        return std::find(order.begin(), order.end(), c) - order.begin();
    };
    EXPECT_LT(at(form->txtUserName), at(form->txtFullName));
    EXPECT_LT(at(form->txtFullName), at(form->txtDescription));
    EXPECT_LT(at(form->txtDescription), at(form->txtPassword));
    EXPECT_LT(at(form->txtPassword), at(form->txtConfirmPassword));
    EXPECT_LT(at(form->txtConfirmPassword), at(form->chkMustChangePwd));
    EXPECT_LT(at(form->chkDisabled), at(form->cmdCreate));
    EXPECT_LT(at(form->cmdCreate), at(form->cmdClose));
}

TEST_F(NewUserForm, OptionBoxesExcludeEachOtherAsTheUserClicks) {
    auto form = Open();
    form->chkMustChangePwd->UserClick();  // off: the other two become available
    EXPECT_EQ(Boxes(*form), (States{{0, true}, {0, true}, {0, true}, {0, true}}));
    form->chkPwdNeverExpires->UserClick();  // on: "must change" greyed and off
    EXPECT_EQ(Boxes(*form), (States{{0, false}, {0, true}, {1, true}, {0, true}}));
    form->chkCanNotChangePwd->UserClick();
    EXPECT_EQ(Boxes(*form), (States{{0, false}, {1, true}, {1, true}, {0, true}}));
    form->chkPwdNeverExpires->UserClick();  // one still on: stays locked
    EXPECT_EQ(Boxes(*form), (States{{0, false}, {1, true}, {0, true}, {0, true}}));
    form->chkCanNotChangePwd->UserClick();  // both off: "must change" available again
    EXPECT_EQ(Boxes(*form), (States{{0, true}, {0, true}, {0, true}, {0, true}}));
    form->chkDisabled->UserClick();  // never touched by the option logic
    EXPECT_EQ(Boxes(*form), (States{{0, true}, {0, true}, {0, true}, {1, true}}));
    form->chkMustChangePwd->UserClick();
    EXPECT_EQ(Boxes(*form), (States{{1, true}, {0, false}, {0, false}, {1, true}}));
    form->chkCanNotChangePwd->UserClick();  // greyed: the click does nothing
    EXPECT_EQ(Boxes(*form), (States{{1, true}, {0, false}, {0, false}, {1, true}}));
}

TEST_F(NewUserForm, ActivationRestoresConsistencyOfBoxesSetFromCode) {
    auto form = Open();
    form->chkMustChangePwd->Click = nullptr;  // set without the click logic
    form->chkPwdNeverExpires->Click = nullptr;
    form->chkMustChangePwd->SetValue(0);
    form->chkPwdNeverExpires->SetEnabled(true);
    form->chkPwdNeverExpires->SetValue(1);
    shell.UserActivate(*form);
    EXPECT_EQ(Boxes(*form), (States{{0, false}, {0, true}, {1, true}, {0, true}}));
}

TEST_F(NewUserForm, ValidationStopsAtTheFirstProblemInOrder) {
    auto form = Open();
    binder.AddObject(L"WinNT://SERVER/bob,user");

    form->cmdCreate->UserClick();  // everything empty
    Type(*form, L"", L"", L"x");
    form->cmdCreate->UserClick();
    Type(*form, L"carol", L"", L"");
    form->cmdCreate->UserClick();
    Type(*form, L"carol", L"Secret1", L"secret1");
    form->cmdCreate->UserClick();
    Type(*form, L"bob", L"Secret1", L"Secret1");
    form->cmdCreate->UserClick();

    EXPECT_EQ(MessageTexts(), (Names{L"Username is missing", L"Username is missing",
                                     L"Creation of accounts with empty password is not supported",
                                     L"Passwords do not match. Aborting.",
                                     L"Account with the specified user name already exists."}));
    for (const auto& m : shell.messages) {
        EXPECT_EQ(m.style, 16);
        EXPECT_EQ(m.title, L"Quillon");
    }
    EXPECT_EQ(binder.binds, (Names{L"WinNT://SERVER/bob,user"})) << "only the existence test";
    EXPECT_EQ(container->CallCount(L"Create"), 0);
    EXPECT_TRUE(form->IsLoaded());
}

TEST_F(NewUserForm, UserExistsOnlyWhenTheAccountBinds) {
    auto form = Open();
    binder.AddObject(L"WinNT://SERVER/bob,user");
    binder.FailBind(L"WinNT://SERVER/eve,user", L"Access is denied.");
    EXPECT_TRUE(form->UserExists(L"bob"));
    EXPECT_FALSE(form->UserExists(L"eve"));     // any failure counts as missing
    EXPECT_FALSE(form->UserExists(L"nobody"));  // not scripted: the bind fails
    EXPECT_EQ(binder.binds.back(), L"WinNT://SERVER/nobody,user");
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(NewUserForm, CreationWithoutFullNameOrDescriptionLeavesThemUnset) {
    auto form = Open();
    Type(*form, L"carol", L"Secret1", L"Secret1");
    form->cmdCreate->UserClick();
    EXPECT_EQ(binder.binds, (Names{L"WinNT://SERVER/carol,user", L"WinNT://SERVER"}));
    EXPECT_EQ(Conversation(), (Names{
                                  L"Call WinNT://SERVER.Create(text \"user\", text \"carol\")",
                                  L"Call new user.SetPassword(text \"Secret1\")",
                                  L"Call new user.SetInfo()",
                                  L"Call new user.Put(text \"PasswordExpired\", int32 1)",
                                  L"Call new user.SetInfo()",
                              }));
    EXPECT_EQ(MessageTexts(), (Names{L"Successfully created user carol"}));
    EXPECT_EQ(shell.messages[0].style, 0);
    EXPECT_FALSE(form->IsLoaded());
}

TEST_F(NewUserForm, CreationSetsFullNameAndDescriptionBeforeThePassword) {
    auto form = Open();
    form->chkMustChangePwd->UserClick();  // no options at all
    Type(*form, L"  ", L"pw", L"pw");     // blanks are a name like any other
    form->txtFullName->UserSetText(L"Carol Jones");
    form->txtDescription->UserSetText(L"Backup operator");
    form->cmdCreate->UserClick();
    EXPECT_EQ(Conversation(), (Names{
                                  L"Call WinNT://SERVER.Create(text \"user\", text \"  \")",
                                  L"Put new user.FullName(text \"Carol Jones\")",
                                  L"Put new user.Description(text \"Backup operator\")",
                                  L"Call new user.SetPassword(text \"pw\")",
                                  L"Call new user.SetInfo()",
                              }));
    EXPECT_EQ(shell.LastMessage(), L"Successfully created user   ");
}

TEST_F(NewUserForm, EachOptionIsAppliedInOrderWithItsPropertyAndSixteenBitValue) {
    auto account = AccountInWmi(L"carol");
    auto form = Open();
    form->chkDisabled->UserClick();
    form->chkMustChangePwd->UserClick();
    form->chkPwdNeverExpires->UserClick();
    form->chkCanNotChangePwd->UserClick();
    Type(*form, L"carol", L"Secret1", L"Secret1");
    form->cmdCreate->UserClick();

    EXPECT_EQ(
        Conversation(),
        (Names{
            L"Call WinNT://SERVER.Create(text \"user\", text \"carol\")",
            L"Call new user.SetPassword(text \"Secret1\")",
            L"Call new user.SetInfo()",
            L"Call " + std::wstring(kWmi) + L".ExecQuery(text \"" + QueryFor(L"carol") + L"\")",
            L"Items " + std::wstring(kWmi) + L" ExecQuery(" + QueryFor(L"carol") + L").Items",
            L"Put Win32_UserAccount carol.Disabled(int16 -1)",
            L"Call Win32_UserAccount carol.Put_()",
            L"Call " + std::wstring(kWmi) + L".ExecQuery(text \"" + QueryFor(L"carol") + L"\")",
            L"Items " + std::wstring(kWmi) + L" ExecQuery(" + QueryFor(L"carol") + L").Items",
            L"Put Win32_UserAccount carol.PasswordExpires(int16 0)",
            L"Call Win32_UserAccount carol.Put_()",
            L"Call " + std::wstring(kWmi) + L".ExecQuery(text \"" + QueryFor(L"carol") + L"\")",
            L"Items " + std::wstring(kWmi) + L" ExecQuery(" + QueryFor(L"carol") + L").Items",
            L"Put Win32_UserAccount carol.PasswordChangeable(int16 0)",
            L"Call Win32_UserAccount carol.Put_()",
        }));
    EXPECT_EQ(binder.binds,
              (Names{L"WinNT://SERVER/carol,user", L"WinNT://SERVER", kWmi, kWmi, kWmi}));
    EXPECT_EQ(shell.LastMessage(), L"Successfully created user carol");
    (void)account;
}

TEST_F(NewUserForm, DisabledWithMustChangeMarksThePasswordExpiredAfterDisabling) {
    auto account = AccountInWmi(L"carol");
    auto form = Open();
    form->chkDisabled->UserClick();
    Type(*form, L"carol", L"Secret1", L"Secret1");
    form->cmdCreate->UserClick();
    EXPECT_EQ(account->PutsTo(L"Disabled"), (std::vector<Variant>{Variant(std::int16_t{-1})}));
    EXPECT_EQ(user->MethodNames(), (Names{L"SetPassword", L"SetInfo", L"Put", L"SetInfo"}));
    // Disabling comes before the password is marked expired.
    std::size_t disabledAt = 0, expiredAt = 0;
    for (std::size_t i = 0; i < binder.journal.size(); ++i) {
        if (binder.journal[i].member == L"Disabled") disabledAt = i;
        if (binder.journal[i].member == L"Put") expiredAt = i;
    }
    EXPECT_LT(disabledAt, expiredAt);
    EXPECT_EQ(account->CallCount(L"Put_"), 1);
}

TEST_F(NewUserForm, NamesAreEscapedForTheQuerySoAnApostropheGetsItsOptions) {
    EXPECT_EQ(accounts::EscapeWqlString(L"O'Brien"), L"O\\'Brien");
    EXPECT_EQ(accounts::EscapeWqlString(L"a\\b'c''"), L"a\\\\b\\'c\\'\\'");
    EXPECT_EQ(accounts::EscapeWqlString(L"plain name"), L"plain name");

    auto account = AccountInWmi(L"O\\'Brien");
    auto form = Open();
    form->chkDisabled->UserClick();
    Type(*form, L"O'Brien", L"Secret1", L"Secret1");
    form->cmdCreate->UserClick();
    EXPECT_EQ(shell.LastMessage(), L"Successfully created user O'Brien");
    EXPECT_EQ(account->PutsTo(L"Disabled").size(), 1u);
    EXPECT_EQ(container->CallsTo(L"Create")[0].args[1], Variant(L"O'Brien"));
}

TEST_F(NewUserForm, NoMatchingWmiAccountSilentlySkipsTheOption) {
    wmi->OnQuery(QueryFor(L"carol"), {});
    auto form = Open();
    form->chkDisabled->UserClick();
    Type(*form, L"carol", L"Secret1", L"Secret1");
    form->cmdCreate->UserClick();
    EXPECT_EQ(MessageTexts(), (Names{L"Successfully created user carol"}));
}

TEST_F(NewUserForm, FailureAfterTheAccountExistsIsToldAndKeepsTheWindowAsTyped) {
    wmi->FailQuery(QueryFor(L"carol"), L"Invalid query ");
    auto form = Open();
    form->chkDisabled->UserClick();
    form->txtFullName->UserSetText(L"Carol");
    Type(*form, L"carol", L"Secret1", L"Secret1");
    form->cmdCreate->UserClick();
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text,
              L"Failed to create user account. The error was: Invalid query ");
    EXPECT_EQ(shell.messages[0].style, 16);
    EXPECT_TRUE(form->IsLoaded());
    EXPECT_EQ(form->txtUserName->Text(), L"carol");
    EXPECT_EQ(form->txtFullName->Text(), L"Carol");
    EXPECT_EQ(form->txtPassword->Text(), L"Secret1");
    EXPECT_EQ(form->chkDisabled->Value(), 1);
    // The account was stored before the failure and nothing after it ran.
    EXPECT_EQ(user->MethodNames(), (Names{L"SetPassword", L"SetInfo"}));
}

TEST_F(NewUserForm, RefusedCreationShowsTheProvidersDescription) {
    container->FailCall(L"Create", L"The account already exists.");
    auto form = Open();
    Type(*form, L"carol", L"Secret1", L"Secret1");
    form->cmdCreate->UserClick();
    EXPECT_EQ(
        MessageTexts(),
        (Names{L"Failed to create user account. The error was: The account already exists."}));
    EXPECT_TRUE(form->IsLoaded());

    user->FailCall(L"SetPassword", L"The password does not meet the password policy requirements.");
    container->OnCall(L"Create", Variant(AutoObjectPtr(user)));
    form->cmdCreate->UserClick();
    EXPECT_EQ(shell.LastMessage(),
              L"Failed to create user account. The error was: The password does not meet the "
              L"password policy requirements.");
    EXPECT_EQ(user->CallCount(L"SetInfo"), 0);
}

TEST_F(NewUserForm, SuccessIsToldBeforeTheWindowClosesAndTheOpenerShowsTheNewAccount) {
    netapi.users = {L"Administrator"};
    auto opener = ui::NewForm<accounts::frmAccountMgmt>(services);
    opener->Load();
    opener->Show();
    opener->cmdNewUser->UserClick();
    auto form = shell.FormsOfType<frmNewUser>().at(0);

    container->OnCall(L"Create", [this](const std::vector<Variant>& args) {
        netapi.users.push_back(args.at(1).Text());
        return Variant(AutoObjectPtr(user));
    });
    bool loadedDuringMessage = false;
    shell.onMessage = [&](const testing_support::ShownMessage&) {
        loadedDuringMessage = form->IsLoaded();
    };
    Type(*form, L"carol", L"Secret1", L"Secret1");
    form->cmdCreate->UserClick();
    EXPECT_TRUE(loadedDuringMessage);
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_EQ(opener->lstUsers->Items(), (Names{L"Administrator", L"carol"}));
}

}  // namespace
}  // namespace accounts_tests
