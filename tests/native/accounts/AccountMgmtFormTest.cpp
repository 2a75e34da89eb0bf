#include <gtest/gtest.h>

#include "accounts/frmAccountMgmt.h"
#include "accounts/frmChangePassword.h"
#include "accounts/frmNewUser.h"
#include "tests/native/accounts/AccountsFixture.h"

namespace accounts_tests {
namespace {

using accounts::frmAccountMgmt;
using accounts::frmChangePassword;
using accounts::frmNewUser;
using sysaccess::Variant;

struct AccountMgmtForm : AccountsFixture {
    AccountMgmtForm() {
        netapi.users = {L"Administrator", L"bob", L"Guest", L"eve"};
        netapi.AddGroup(L"Administrators", {L"SERVER\\Administrator"});
        netapi.AddGroup(L"Users", {L"SERVER\\bob", L"NT AUTHORITY\\INTERACTIVE"});
    }

    std::shared_ptr<frmAccountMgmt> Open() {
        auto form = ui::NewForm<frmAccountMgmt>(services);
        form->Load();
        form->Show();
        return form;
    }

    static void Select(ui::ListControl& list, const std::wstring& text) {
        for (int i = 0; i < list.ListCount(); ++i)
            if (list.List(i) == text) return list.UserSelect(i);
        FAIL() << "no entry " << std::string(text.begin(), text.end());
    }

    // Deleting through the directory removes the account from the model too.
    std::shared_ptr<testing_support::FakeAutoObject> DirectoryThatDeletes() {
        auto container = binder.AddObject(L"WinNT://SERVER");
        container->OnCall(L"Delete", [this](const std::vector<Variant>& args) {
            netapi.DeleteUser(args.at(1).Text());
            return Variant();
        });
        return container;
    }
};

TEST_F(AccountMgmtForm, LoadListsUsersGroupsAndTheFirstGroupsMembersInApiOrder) {
    netapi.pageSize = 3;  // several pages each
    auto form = Open();
    EXPECT_EQ(form->Caption(), L"Account Management");
    EXPECT_EQ(form->lstUsers->Items(), (Names{L"Administrator", L"bob", L"Guest", L"eve"}));
    EXPECT_EQ(form->cmbGroups->Items(), (Names{L"Administrators", L"Users"}));
    EXPECT_EQ(form->cmbGroups->ListIndex(), 0);
    EXPECT_EQ(form->lstGroupMembers->Items(), (Names{L"SERVER\\Administrator"}));
    EXPECT_EQ(form->lstUsers->ListIndex(), -1);
    EXPECT_TRUE(shell.messages.empty());

    form->cmbGroups->UserSelect(1);
    EXPECT_EQ(form->lstGroupMembers->Items(),
              (Names{L"SERVER\\bob", L"NT AUTHORITY\\INTERACTIVE"}));
    EXPECT_EQ(netapi.CallsTo(L"NetLocalGroupGetMembers").back().group, L"Users");
}

TEST_F(AccountMgmtForm, WithoutGroupsTheBoxAndMemberListStayEmpty) {
    netapi.groups.clear();
    auto form = Open();
    EXPECT_EQ(form->cmbGroups->ListCount(), 0);
    EXPECT_EQ(form->cmbGroups->ListIndex(), -1);
    EXPECT_EQ(form->lstGroupMembers->ListCount(), 0);
    EXPECT_EQ(CallCount(L"NetLocalGroupGetMembers"), 0);

    form->lstUsers->UserSelect(1);  // a user but no group: ">>" does nothing
    form->cmdAdd->UserClick();
    EXPECT_EQ(CallCount(L"NetLocalGroupAddMembers"), 0);
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(AccountMgmtForm, MemberListFailureShowsTheStatusAndLeavesTheListEmpty) {
    netapi.membersStatus = {5};
    auto form = Open();
    EXPECT_EQ(MessageTexts(), (Names{L"Error calling NetLocalGroupGetMembers: 5"}));
    EXPECT_EQ(form->lstGroupMembers->ListCount(), 0);
}

TEST_F(AccountMgmtForm, AddNeedsAUserAndAddsTheBareNameThenRefreshesMembers) {
    auto form = Open();
    form->cmdAdd->UserClick();  // no user selected
    EXPECT_EQ(CallCount(L"NetLocalGroupAddMembers"), 0);

    form->cmbGroups->UserSelect(1);
    Select(*form->lstUsers, L"eve");
    const int listingsBefore = CallCount(L"NetUserEnum");
    form->cmdAdd->UserClick();
    const auto adds = netapi.CallsTo(L"NetLocalGroupAddMembers");
    ASSERT_EQ(adds.size(), 1u);
    EXPECT_EQ(adds[0].member, L"eve");
    EXPECT_EQ(adds[0].group, L"Users");
    EXPECT_EQ(form->lstGroupMembers->Items(),
              (Names{L"SERVER\\bob", L"NT AUTHORITY\\INTERACTIVE", L"SERVER\\eve"}));
    EXPECT_EQ(CallCount(L"NetUserEnum"), listingsBefore) << "only the members are reloaded";
    EXPECT_EQ(form->lstUsers->Text(), L"eve");
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(AccountMgmtForm, AddingAnExistingMemberIsSilent) {
    auto form = Open();
    form->cmbGroups->UserSelect(1);
    Select(*form->lstUsers, L"bob");
    const int refreshes = CallCount(L"NetLocalGroupGetMembers");
    form->cmdAdd->UserClick();
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_EQ(CallCount(L"NetLocalGroupGetMembers"), refreshes + 1);
    EXPECT_EQ(form->lstGroupMembers->Items(),
              (Names{L"SERVER\\bob", L"NT AUTHORITY\\INTERACTIVE"}));
}

TEST_F(AccountMgmtForm, FailedAddAndRemoveAreToldWithTheStatusThenMembersRefresh) {
    auto form = Open();
    form->cmbGroups->UserSelect(1);
    Select(*form->lstUsers, L"eve");
    netapi.addStatus = {5};
    int refreshes = CallCount(L"NetLocalGroupGetMembers");
    form->cmdAdd->UserClick();
    EXPECT_EQ(MessageTexts(), (Names{L"Error calling NetLocalGroupAddMembers: 5"}));
    EXPECT_EQ(shell.messages[0].style, 0);
    EXPECT_EQ(CallCount(L"NetLocalGroupGetMembers"), refreshes + 1);

    Select(*form->lstGroupMembers, L"SERVER\\bob");
    netapi.delStatus = {1377};
    refreshes = CallCount(L"NetLocalGroupGetMembers");
    form->cmdRemove->UserClick();
    EXPECT_EQ(shell.LastMessage(), L"Error calling NetLocalGroupDelMembers: 1377");
    EXPECT_EQ(CallCount(L"NetLocalGroupGetMembers"), refreshes + 1);
    EXPECT_EQ(form->lstGroupMembers->Items(),
              (Names{L"SERVER\\bob", L"NT AUTHORITY\\INTERACTIVE"}));
}

TEST_F(AccountMgmtForm, RemoveNeedsAMemberAndRemovesTheTextAsShown) {
    auto form = Open();
    form->cmbGroups->UserSelect(1);
    Select(*form->lstUsers, L"bob");  // a selected user does not count for "<<"
    form->cmdRemove->UserClick();
    EXPECT_EQ(CallCount(L"NetLocalGroupDelMembers"), 0);

    Select(*form->lstGroupMembers, L"NT AUTHORITY\\INTERACTIVE");
    form->cmdRemove->UserClick();
    const auto dels = netapi.CallsTo(L"NetLocalGroupDelMembers");
    ASSERT_EQ(dels.size(), 1u);
    EXPECT_EQ(dels[0].member, L"NT AUTHORITY\\INTERACTIVE");
    EXPECT_EQ(dels[0].group, L"Users");
    EXPECT_EQ(form->lstGroupMembers->Items(), (Names{L"SERVER\\bob"}));
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(AccountMgmtForm, DeleteRemovesTheAccountAtOnceAndRefreshesBothLists) {
    auto container = DirectoryThatDeletes();
    auto form = Open();
    form->cmdDeleteUser->UserClick();  // nothing selected
    EXPECT_TRUE(binder.binds.empty());

    form->cmbGroups->UserSelect(1);
    Select(*form->lstUsers, L"bob");
    form->cmdDeleteUser->UserClick();
    EXPECT_EQ(binder.binds, (Names{L"WinNT://SERVER"}));
    const auto deletes = container->CallsTo(L"Delete");
    ASSERT_EQ(deletes.size(), 1u);
    EXPECT_EQ(deletes[0].args, (std::vector<Variant>{Variant(L"user"), Variant(L"bob")}));
    EXPECT_EQ(form->lstUsers->Items(), (Names{L"Administrator", L"Guest", L"eve"}));
    EXPECT_EQ(form->lstGroupMembers->Items(), (Names{L"NT AUTHORITY\\INTERACTIVE"}));
    EXPECT_TRUE(shell.messages.empty()) << "no confirmation question, no success message";
}

TEST_F(AccountMgmtForm, RefusedDeletionShowsTheProvidersDescriptionAndKeepsTheLists) {
    auto container = binder.AddObject(L"WinNT://SERVER");
    container->FailCall(L"Delete", L"Access is denied.");
    auto form = Open();
    Select(*form->lstUsers, L"bob");
    const int userListings = CallCount(L"NetUserEnum");
    const int memberListings = CallCount(L"NetLocalGroupGetMembers");
    form->cmdDeleteUser->UserClick();
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text,
              L"Failed to delete the user account. The error was: Access is denied.");
    EXPECT_EQ(shell.messages[0].style, 0);
    EXPECT_EQ(CallCount(L"NetUserEnum"), userListings);
    EXPECT_EQ(CallCount(L"NetLocalGroupGetMembers"), memberListings);
    EXPECT_EQ(form->lstUsers->ListCount(), 4);

    binder.FailBind(L"WinNT://SERVER", L"The network path was not found.");
    form->cmdDeleteUser->UserClick();
    EXPECT_EQ(shell.LastMessage(),
              L"Failed to delete the user account. The error was: The network path was not found.");
}

TEST_F(AccountMgmtForm, PasswordOpensAnIndependentWindowPerPressForTheSelectedUser) {
    auto form = Open();
    form->cmdChangePassword->UserClick();
    EXPECT_TRUE(shell.FormsOfType<frmChangePassword>().empty());

    Select(*form->lstUsers, L"bob");
    form->cmdChangePassword->UserClick();
    Select(*form->lstUsers, L"eve");
    form->cmdChangePassword->UserClick();
    const auto windows = shell.FormsOfType<frmChangePassword>();
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_EQ(windows[0]->strUserName, L"bob");
    EXPECT_EQ(windows[0]->Caption(), L"Set password for bob");
    EXPECT_EQ(windows[1]->Caption(), L"Set password for eve");
    EXPECT_TRUE(windows[1]->IsVisible());
    EXPECT_TRUE(form->IsLoaded());
}

TEST_F(AccountMgmtForm, NewUserWindowsReloadTheirOpenerWhenTheyClose) {
    auto form = Open();
    form->cmdNewUser->UserClick();
    form->cmdNewUser->UserClick();
    const auto windows = shell.FormsOfType<frmNewUser>();
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_EQ(windows[0]->objParent.lock(), form);
    EXPECT_TRUE(windows[0]->IsVisible());

    netapi.users.push_back(L"carol");
    const int listings = CallCount(L"NetUserEnum");
    windows[0]->cmdClose->UserClick();
    EXPECT_EQ(CallCount(L"NetUserEnum"), listings + 1);
    EXPECT_EQ(form->lstUsers->List(4), L"carol");

    // The opener closes first: the other window closes without touching it.
    form->cmdHome->UserClick();
    EXPECT_FALSE(form->IsLoaded());
    form.reset();
    shell.UserClose(*windows[1]);
    EXPECT_FALSE(windows[1]->IsLoaded());
    EXPECT_EQ(CallCount(L"NetUserEnum"), listings + 1);
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(AccountMgmtForm, AnOpenerClosedButStillReferencedIsNotReloaded) {
    auto form = Open();
    form->cmdNewUser->UserClick();
    auto window = shell.FormsOfType<frmNewUser>().at(0);
    shell.UserClose(*form);  // the test still holds the object
    const int listings = CallCount(L"NetUserEnum");
    window->cmdClose->UserClick();
    EXPECT_EQ(CallCount(L"NetUserEnum"), listings);
}

TEST_F(AccountMgmtForm, LayoutKeepsListsInTheFrameAndTheFourPictureButtonsInARowBelow) {
    auto form = Open();
    const ui::Bounds frame = form->Frame1->bounds;
    EXPECT_EQ(form->Frame1->Caption(), L"Group Management");
    for (ui::Control* c : std::vector<ui::Control*>{form->lstUsers, form->cmdAdd, form->cmdRemove,
                                                    form->cmbGroups, form->lstGroupMembers}) {
        EXPECT_EQ(c->container, form->Frame1) << std::string(c->Name().begin(), c->Name().end());
        EXPECT_GE(c->bounds.left, frame.left);
        EXPECT_LE(c->bounds.left + c->bounds.width, frame.left + frame.width);
        EXPECT_GE(c->bounds.top, frame.top);
        EXPECT_LE(c->bounds.top + c->bounds.height, frame.top + frame.height);
    }
    EXPECT_LT(form->lstUsers->bounds.left + form->lstUsers->bounds.width,
              form->cmdAdd->bounds.left);
    EXPECT_LT(form->cmdAdd->bounds.top, form->cmdRemove->bounds.top);
    EXPECT_LT(form->cmdAdd->bounds.left + form->cmdAdd->bounds.width, form->cmbGroups->bounds.left);
    EXPECT_LT(form->cmbGroups->bounds.top, form->lstGroupMembers->bounds.top);
    EXPECT_EQ(form->cmdAdd->Caption(), L">>");
    EXPECT_EQ(form->cmdRemove->Caption(), L"<<");

    const std::vector<ui::Button*> row{form->cmdDeleteUser, form->cmdChangePassword,
                                       form->cmdNewUser, form->cmdHome};
    const Names captions{L"&Delete User", L"&Password", L"&New User", L"&Main Menu"};
    for (std::size_t i = 0; i < row.size(); ++i) {
        EXPECT_EQ(row[i]->Caption(), captions[i]);
        EXPECT_NE(row[i]->pictureId, 0);
        EXPECT_EQ(row[i]->bounds.top, row[0]->bounds.top);
        EXPECT_GE(row[i]->bounds.top, frame.top + frame.height);
        EXPECT_LE(row[i]->bounds.top + row[i]->bounds.height, form->clientHeight);
        EXPECT_LE(row[i]->bounds.left + row[i]->bounds.width, form->clientWidth);
        if (i > 0) {
            EXPECT_GT(row[i]->bounds.left, row[i - 1]->bounds.left + row[i - 1]->bounds.width);
        }
    }
    EXPECT_FALSE(form->cmbGroups->sorted);
}

TEST_F(AccountMgmtForm, TheCatalogOpensAllThreeWindows) {
    auto form = app::OpenModeless(services, L"frmAccountMgmt");
    ASSERT_NE(std::dynamic_pointer_cast<frmAccountMgmt>(form), nullptr);
    EXPECT_TRUE(form->IsVisible());
    EXPECT_EQ(std::dynamic_pointer_cast<frmAccountMgmt>(form)->lstUsers->ListCount(), 4);
    EXPECT_NE(std::dynamic_pointer_cast<frmNewUser>(app::OpenModeless(services, L"frmNewUser")),
              nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<frmChangePassword>(
                  app::OpenModeless(services, L"frmChangePassword")),
              nullptr);
}

}  // namespace
}  // namespace accounts_tests
