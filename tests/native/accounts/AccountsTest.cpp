// Local users and groups as the network management API answers them, and the Account Management,
// New User and Set Password windows: what the user does -> lists, calls to the system, messages.
#include <gtest/gtest.h>

#include <sstream>

#include "accounts/frmAccountMgmt.h"
#include "accounts/frmNewUser.h"
#include "accounts/mdlLocalAccMgmt.h"
#include "tests/fakes/World.h"

namespace {

using accounts::frmAccountMgmt;
using accounts::frmNewUser;
using sysaccess::Variant;

// Computer SERVER: users Administrator, bob, Guest, eve; groups Administrators, Guests (empty),
// Users; messages go to the objects' journal. Setup: "page=N" lists N names a call; "<API>=s,s":
// its next statuses (0: as usual); "no groups"; "<member> refused"; "unreachable" directory.
void Seed(fakes::World& w, const std::wstring& setup) {
    w.identity.computerName = L"SERVER";
    w.netapi.users = {L"Administrator", L"bob", L"Guest", L"eve"};
    w.netapi.groups = {{L"Administrators", {L"SERVER\\Administrator"}},
                       {L"Guests", {}},
                       {L"Users", {L"SERVER\\bob", L"NT AUTHORITY\\INTERACTIVE"}}};
    std::wistringstream in(setup);
    for (std::wstring item, s; std::getline(in >> std::ws, item, L';');) {
        std::wistringstream values(item.substr(item.find(L'=') + 1));
        while (item.starts_with(L"Net") && std::getline(values, s, L','))
            w.netapi.statuses[item.substr(0, item.find(L'='))].push_back(std::stoul(s));
        if (item.starts_with(L"page=")) w.netapi.pageSize = std::stoul(values.str());
        if (item == L"no groups") w.netapi.groups.clear();
    }
    const auto answer = [setup](const std::wstring& member) {
        const bool refused = setup.find(member + L" refused") != std::wstring::npos;
        return refused ? fakes::Fails(member + L" refused") : fakes::Returns({});
    };
    // An unreachable directory is bound by no name.
    const std::wstring winnt =
        setup.find(L"unreachable") == std::wstring::npos ? L"WinNT://SERVER" : L"WinNT://";
    auto directory = w.objects.Add(winnt), account = w.objects.New(L"account");
    directory->On(L"Create", [&w, answer](const std::vector<Variant>& args) {
        answer(L"Create")(args);
        w.netapi.users.push_back(args.at(1).Text());
        auto user = w.objects.New(args.at(1).Text());
        for (const wchar_t* member : {L"SetPassword", L"SetInfo", L"Put"})
            user->On(member, answer(member));
        return Variant(sysaccess::AutoObjectPtr(user));
    });
    directory->On(L"Delete", [&w, answer](const std::vector<Variant>& args) {
        answer(L"Delete")(args);
        std::erase(w.netapi.users, args.at(1).Text());
        std::erase(w.netapi.groups.back().second, L"SERVER\\" + args.at(1).Text());
        return Variant();
    });
    w.objects.Add(L"WinNT://SERVER/bob,user");
    auto bob = w.objects.Add(winnt + L"/bob, user");
    for (const wchar_t* member : {L"SetPassword", L"SetInfo"}) bob->On(member, answer(member));
    account->On(L"Put_", answer(L""));
    const std::wstring query =
        L"Select * From Win32_UserAccount Where LocalAccount=True and Name='";
    w.objects.Add(L"winmgmts:\\\\SERVER\\root\\cimv2")
        ->Query(query + L"carol'", {account})
        .Query(query + L"O\\'Brien'", {account})
        .Query(query + L"dave'", {});
    w.shell.onMessage = [&w](const fakes::ShownMessage& m) {
        w.objects.journal.push_back(std::to_wstring(m.style) + L" " + m.text);
        EXPECT_EQ(m.title, L"Quillon");
    };
}

const std::wstring kUsers = L"Administrator | bob | Guest | eve";
const std::wstring kUsersGroup = L"SERVER\\bob | NT AUTHORITY\\INTERACTIVE";
const std::wstring kAdministrators = L"SERVER\\Administrator";

TEST(LocalAccounts, ListsWhatTheApiAnswers) {
    struct Case {
        const char* name;
        std::wstring setup, listing, names;   // listing: users, groups, or a group's members
        std::wstring resumes, message = L"";  // resumes: the handle each call was given
    };
    const std::wstring failed = L"0 Error calling NetLocalGroupGetMembers: ";
    const Case cases[] = {
        {"users page by page", L"page=3", L"users", kUsers, L"0 3"},
        {"a failing page drops the users read", L"page=3; NetUserEnum=0,59", L"users", L"", L"0 3"},
        {"users promised without moving on", L"NetUserEnum=234", L"users", L"", L"0"},
        {"refused groups, silently", L"NetLocalGroupEnum=5", L"groups", L"", L"0"},
        {"members page by page", L"page=1", L"Users", kUsersGroup, L"0 1"},
        {"a group without members", L"", L"Guests", L"", L"0"},
        {"a group that does not exist", L"", L"Nope", L"", L"0", failed + L"2220"},
        {"a failing page of members", L"page=1; NetLocalGroupGetMembers=0,5", L"Users", L"", L"0 1",
         failed + L"5"},
        {"members promised without moving on", L"NetLocalGroupGetMembers=234", L"Users", L"", L"0",
         failed + L"234"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fakes::World w;
        Seed(w, c.setup);
        std::int32_t count = -1;
        const auto names = c.listing == L"users" ? accounts::GetLocalUsers(w.services, L"", count)
                           : c.listing == L"groups"
                               ? accounts::GetLocalGroups(w.services, L"", count)
                               : accounts::GetLocalGroupMembers(w.services, L"", c.listing, count);
        EXPECT_EQ(fakes::Join(names), c.names);
        EXPECT_EQ(count, static_cast<std::int32_t>(names.size()));
        const std::wstring api = c.listing == L"users" ? L"NetUserEnum [] filter 2"
                                 : c.listing == L"groups"
                                     ? L"NetLocalGroupEnum []"
                                     : L"NetLocalGroupGetMembers [] [" + c.listing + L"]";
        std::vector<std::wstring> calls;
        std::wistringstream resumes(c.resumes);
        for (std::wstring resume; resumes >> resume;)
            calls.push_back(api + L" max 4294967295 resume " + resume);
        EXPECT_EQ(w.netapi.calls, calls);
        EXPECT_EQ(fakes::Join(w.objects.journal), c.message);
    }
}

TEST(LocalAccounts, AMemberAddedAgainCountsAsAddedAndOnlyARemovalThatHappenedAsRemoved) {
    fakes::World w;
    Seed(w, L"NetLocalGroupAddMembers=1378,1387; NetLocalGroupDelMembers=0,5");
    EXPECT_TRUE(accounts::AddLocalGroupMember(w.services, L"bob", L"Users"));      // 1378
    EXPECT_FALSE(accounts::AddLocalGroupMember(w.services, L"nobody", L"Users"));  // 1387
    EXPECT_TRUE(accounts::RemoveLocalGroupMember(w.services, L"SERVER\\bob", L"Users"));
    EXPECT_FALSE(accounts::RemoveLocalGroupMember(w.services, L"SERVER\\eve", L"Users"));  // 5
}

// A window left open: its caption and each box's text, "*" on the focused box with its selection.
std::wstring LeftOpen(const ui::Form& form) {
    std::wstring left = L"open " + form.Caption();
    for (ui::Control* control : form.TabOrder())
        if (auto* box = dynamic_cast<ui::TextBox*>(control))
            left += L" [" + box->Text() + L"]" +
                    (box->HasFocus() ? L"*" + std::to_wstring(box->SelLength()) : L"");
    return left;
}

TEST(AccountMgmt, ListsChangesAndTells) {
    struct Row {
        const char* name;
        // As Seed's and fakes::Play's; steps after " > " play in the window the others opened.
        std::wstring setup, steps;
        std::wstring members = kAdministrators;  // of the selected group
        std::wstring transcript = L"";  // in order: membership and directory calls, messages
        std::wstring users = kUsers;
    };
    const std::wstring add = L"NetLocalGroupAddMembers [Users] ",
                       del = L"NetLocalGroupDelMembers [Users] ";
    const std::wstring deleteBob =
        L"bind WinNT://SERVER | WinNT://SERVER.Delete(\"user\", \"bob\")";
    const std::wstring failed = L" | 0 Failed to delete the user account. The error was: ";
    const std::wstring bob = L"WinNT://SERVER/bob, user",
                       setBob = L"lstUsers=bob; cmdChangePassword > ";
    const std::wstring setAbc = setBob + L"txtPassword=abc; txtPasswordConfirm=abc; cmdOK";
    const std::wstring storedAbc =
        L"bind " + bob + L" | " + bob + L".SetPassword(\"abc\") | " + bob + L".SetInfo()";
    const std::wstring notSet = L" | 16 Password change failed. The error was: ",
                       leftAbc = L" | open Set password for bob [abc] [abc]";
    const std::wstring changed = L" | 0 Successfully changed password for bob";
    const Row rows[] = {
        {"opening lists users, groups and the first group's members", L"page=2", L""},
        {"picking a group lists its members", L"", L"cmbGroups=Users", kUsersGroup},
        {"without a selected user nothing happens", L"",
         L"cmdAdd; cmdDeleteUser; cmdChangePassword"},
        {">> adds the bare user name", L"", L"cmbGroups=Users; lstUsers=eve; cmdAdd",
         kUsersGroup + L" | SERVER\\eve", add + L"[eve]"},
        {"adding a member again is silent", L"NetLocalGroupAddMembers=1378",
         L"cmbGroups=Users; lstUsers=bob; cmdAdd", kUsersGroup, add + L"[bob]"},
        {"a refused addition is told", L"NetLocalGroupAddMembers=5",
         L"cmbGroups=Users; lstUsers=eve; cmdAdd", kUsersGroup,
         add + L"[eve] | 0 Error calling NetLocalGroupAddMembers: 5"},
        {"<< needs a selected member, not a user", L"", L"cmbGroups=Users; lstUsers=bob; cmdRemove",
         kUsersGroup},
        {"<< removes the member as listed", L"",
         L"cmbGroups=Users; lstGroupMembers=NT AUTHORITY\\INTERACTIVE; cmdRemove", L"SERVER\\bob",
         del + L"[NT AUTHORITY\\INTERACTIVE]"},
        {"a refused removal is told", L"NetLocalGroupDelMembers=1377",
         L"cmbGroups=Users; lstGroupMembers=SERVER\\bob; cmdRemove", kUsersGroup,
         del + L"[SERVER\\bob] | 0 Error calling NetLocalGroupDelMembers: 1377"},
        {"Delete User deletes at once and reloads both lists", L"",
         L"cmbGroups=Users; lstUsers=bob; cmdDeleteUser", L"NT AUTHORITY\\INTERACTIVE", deleteBob,
         L"Administrator | Guest | eve"},
        {"a refused deletion is told and the lists stay", L"Delete refused",
         L"cmbGroups=Users; lstUsers=bob; cmdDeleteUser", kUsersGroup,
         deleteBob + failed + L"Delete refused"},
        {"an unreachable directory is told", L"unreachable", L"lstUsers=bob; cmdDeleteUser",
         kAdministrators, L"bind WinNT://SERVER" + failed + L"Invalid syntax"},
        {"a computer without groups", L"no groups", L"lstUsers=bob; cmdAdd", L""},
        {"a failing member listing is told", L"NetLocalGroupGetMembers=5", L"", L"",
         L"0 Error calling NetLocalGroupGetMembers: 5"},
        {"Set Password with matching passwords", L"", setAbc, kAdministrators, storedAbc + changed},
        {"Set Password with both boxes empty", L"", setBob + L"cmdOK", kAdministrators,
         L"bind " + bob + L" | " + bob + L".SetPassword(\"\") | " + bob + L".SetInfo()" + changed},
        {"Set Password with passwords that differ in case", L"",
         setBob + L"txtPassword=Secret1; txtPasswordConfirm=secret1; cmdOK", kAdministrators,
         L"0 Passwords do not match! Password will not be changed. | open Set password for bob "
         L"[Secret1]*7 []"},
        {"a refused password is told; the step after still runs", L"SetPassword refused", setAbc,
         kAdministrators, storedAbc + notSet + L"SetPassword refused" + leftAbc},
        {"a refused store is told, and Cancel closes", L"SetInfo refused", setAbc + L"; cmdCancel",
         kAdministrators, storedAbc + notSet + L"SetInfo refused"},
        {"an account deleted meanwhile: the last failure is told", L"unreachable", setAbc,
         kAdministrators,
         L"bind " + bob + notSet + L"Object variable or With block variable not set" + leftAbc},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fakes::World w;
        Seed(w, row.setup);
        auto form = w.Open<frmAccountMgmt>(L"frmAccountMgmt");
        const bool groups = row.setup != L"no groups";
        EXPECT_EQ(fakes::Join(form->cmbGroups->Items()),
                  groups ? L"Administrators | Guests | Users" : L"");
        EXPECT_EQ(form->cmbGroups->ListIndex(), groups ? 0 : -1);
        w.netapi.calls.clear();
        const auto split = std::min(row.steps.find(L" > "), row.steps.size());
        fakes::Play(*form, row.steps.substr(0, split));
        if (split < row.steps.size())
            fakes::Play(*w.shell.LoadedForms().back(), row.steps.substr(split + 3));

        EXPECT_EQ(fakes::Join(form->lstUsers->Items()), row.users);
        EXPECT_EQ(fakes::Join(form->lstGroupMembers->Items()), row.members);
        std::vector<std::wstring> changes;
        for (const auto& call : w.netapi.calls)
            if (call.find(L" max ") == std::wstring::npos) changes.push_back(call);  // no listing
        changes.insert(changes.end(), w.objects.journal.begin(), w.objects.journal.end());
        for (const auto& open : w.shell.LoadedForms())
            if (open != form) changes.push_back(LeftOpen(*open));
        EXPECT_EQ(fakes::Join(changes), row.transcript);
    }
}

std::wstring Created(const std::wstring& name) {
    return L"bind WinNT://SERVER/" + name +
           L",user | bind WinNT://SERVER | WinNT://SERVER.Create(\"user\", \"" + name + L"\")";
}
std::wstring Stored(const std::wstring& name) {
    return Created(name) + L" | " + name + L".SetPassword(\"Secret1\") | " + name + L".SetInfo()";
}
std::wstring Queried(const std::wstring& name) {
    const std::wstring wmi = L"winmgmts:\\\\SERVER\\root\\cimv2";
    return L" | bind " + wmi + L" | " + wmi +
           L".ExecQuery(\"Select * From Win32_UserAccount Where LocalAccount=True and Name='" +
           name + L"'\")";
}
std::wstring Option(const std::wstring& property, int value, const std::wstring& name = L"carol") {
    return Queried(name) + L" | account." + property + L" = int16 " + std::to_wstring(value) +
           L" | account.Put_()";
}

TEST(NewUser, CreatesTheAccountOrSaysWhyNot) {
    struct Case {
        const char* name;
        std::wstring setup, steps, transcript;  // steps follow typing carol and Secret1 twice
    };
    const std::wstring expired = L" | carol.Put(\"PasswordExpired\", 1) | carol.SetInfo()";
    const std::wstring created = L" | 0 Successfully created user ";
    const std::wstring failed = L" | 16 Failed to create user account. The error was: ";
    const Case cases[] = {
        {"no name", L"", L"txtUserName=; txtPassword=", L"16 Username is missing"},
        {"no password", L"", L"txtPassword=; txtConfirmPassword=",
         L"16 Creation of accounts with empty password is not supported"},
        {"passwords that differ in case", L"", L"txtConfirmPassword=secret1",
         L"16 Passwords do not match. Aborting."},
        {"an existing account", L"", L"txtUserName=bob",
         L"bind WinNT://SERVER/bob,user | 16 Account with the specified user name already exists."},
        {"a new account that must change its password", L"", L"",
         Stored(L"carol") + expired + created + L"carol"},
        {"full name and description go first; blanks are a name", L"",
         L"txtUserName=  ; txtFullName=Carol Jones; txtDescription=Backup operator; "
         L"chkMustChangePwd",
         Created(L"  ") +
             L" |   .FullName = \"Carol Jones\" |   .Description = \"Backup operator\" |   "
             L".SetPassword(\"Secret1\") |   .SetInfo()" +
             created + L"  "},
        {"every option, in order", L"",
         L"chkDisabled; chkMustChangePwd; chkPwdNeverExpires; chkCanNotChangePwd",
         Stored(L"carol") + Option(L"Disabled", -1) + Option(L"PasswordExpires", 0) +
             Option(L"PasswordChangeable", 0) + created + L"carol"},
        {"must-change, ticked again, greys the two again", L"",
         L"chkMustChangePwd; chkMustChangePwd; chkCanNotChangePwd; chkPwdNeverExpires",
         Stored(L"carol") + expired + created + L"carol"},
        {"must-change stays locked while either of the two is ticked", L"",
         L"chkMustChangePwd; chkPwdNeverExpires; chkCanNotChangePwd; chkPwdNeverExpires; "
         L"chkMustChangePwd",
         Stored(L"carol") + Option(L"PasswordChangeable", 0) + created + L"carol"},
        {"unticking both frees must-change", L"",
         L"chkMustChangePwd; chkCanNotChangePwd; chkCanNotChangePwd; chkMustChangePwd",
         Stored(L"carol") + expired + created + L"carol"},
        {"disabled, then the password expired", L"", L"chkDisabled",
         Stored(L"carol") + Option(L"Disabled", -1) + expired + created + L"carol"},
        {"an apostrophe is escaped in the query", L"",
         L"txtUserName=O'Brien; chkDisabled; chkMustChangePwd",
         Stored(L"O'Brien") + Option(L"Disabled", -1, L"O\\'Brien") + created + L"O'Brien"},
        {"an account that instrumentation does not list gets no option", L"",
         L"txtUserName=dave; chkMustChangePwd; chkPwdNeverExpires",
         Stored(L"dave") + Queried(L"dave") + created + L"dave"},
        {"a failure once the account exists is told", L"", L"txtUserName=erin; chkDisabled",
         Stored(L"erin") + Queried(L"erin") + failed + L"Invalid query"},
        {"a refused creation", L"Create refused", L"",
         Created(L"carol") + failed + L"Create refused"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fakes::World w;
        Seed(w, c.setup);
        auto form = w.Open<frmNewUser>(L"frmNewUser");
        fakes::Play(*form, L"txtUserName=carol; txtPassword=Secret1; txtConfirmPassword=Secret1; " +
                               c.steps);
        // Must-change excludes the other two; either of them locks must-change off.
        for (const ui::CheckBox* box : {form->chkCanNotChangePwd, form->chkPwdNeverExpires})
            EXPECT_EQ(box->Enabled(), !form->chkMustChangePwd->Value());
        EXPECT_EQ(form->chkMustChangePwd->Enabled(),
                  !form->chkCanNotChangePwd->Value() && !form->chkPwdNeverExpires->Value());
        fakes::Play(*form, L"cmdCreate");
        EXPECT_EQ(fakes::Join(w.objects.journal), c.transcript);
        EXPECT_EQ(form->IsLoaded(), c.transcript.find(created) == std::wstring::npos);
    }
}

TEST(NewUser, EachPressOpensAWindowWhoseClosingReloadsItsOpener) {
    fakes::World w;
    Seed(w, L"");
    auto opener = w.Open<frmAccountMgmt>(L"frmAccountMgmt");
    fakes::Play(*opener, L"cmdNewUser; cmdNewUser");
    const auto windows = w.shell.LoadedForms();  // the opener and two New User windows
    ASSERT_EQ(windows.size(), 3u);
    bool openWhileTold = false;
    w.shell.onMessage = [&](const auto&) { openWhileTold = windows[1]->IsLoaded(); };
    fakes::Play(
        *windows[1],
        L"txtUserName=carol; txtPassword=p; txtConfirmPassword=p; chkMustChangePwd; cmdCreate");
    EXPECT_TRUE(openWhileTold);
    EXPECT_FALSE(windows[1]->IsLoaded());
    EXPECT_EQ(fakes::Join(opener->lstUsers->Items()), kUsers + L" | carol");
    w.netapi.users.push_back(L"dave");
    fakes::Play(*opener, L"cmdHome");
    fakes::Play(*windows[2], L"cmdClose");  // its opener has gone: nothing to reload
    EXPECT_FALSE(windows[2]->IsLoaded());
    EXPECT_EQ(fakes::Join(opener->lstUsers->Items()), kUsers + L" | carol");
}

}  // namespace
