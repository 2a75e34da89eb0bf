// Rename, join and unjoin through scripted instrumentation objects, and the
// credentials prompt they use.
#include <gtest/gtest.h>

#include "identity/frmCredentials.h"
#include "identity/mdlComputerName.h"
#include "tests/native/identity/IdentityFixture.h"

namespace identity_tests {
namespace {

using identity::frmCredentials;

class IdentityChanges : public IdentityFixture {};

TEST_F(IdentityChanges, RenameQueriesThenCallsRenameWithNamePasswordUser) {
    EXPECT_TRUE(identity::RenameComputer(services, L"NEWNAME", L"user", L"pw"));
    EXPECT_EQ(binder.binds, std::vector<std::wstring>{kQueryMoniker});
    auto queries = queryConnection->CallsTo(L"ExecQuery");
    ASSERT_EQ(queries.size(), 1u);
    EXPECT_EQ(queries[0].args, std::vector<V>{Text(L"Select * from Win32_ComputerSystem")});
    auto renames = queriedSystem->CallsTo(L"Rename");
    ASSERT_EQ(renames.size(), 1u);
    EXPECT_EQ(renames[0].member, L"Rename");
    EXPECT_EQ(renames[0].args, (std::vector<V>{Text(L"NEWNAME"), Text(L"pw"), Text(L"user")}));
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(IdentityChanges, RenameToEmptyNameIsRefusedSilentlyAfterTheQuery) {
    EXPECT_FALSE(identity::RenameComputer(services, L"", L"1", L"1"));
    EXPECT_EQ(queryConnection->CallCount(L"ExecQuery"), 1);
    EXPECT_EQ(ChangingCalls(), 0);
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(IdentityChanges, RenameFailureShowsStatusWithCriticalIcon) {
    queriedSystem->OnCall(L"Rename", Int32(2224));
    EXPECT_FALSE(identity::RenameComputer(services, L"NEWNAME", L"1", L"1"));
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text, L"Failed to change the computer name. The error was: 2224");
    EXPECT_EQ(shell.messages[0].style, 16);
    EXPECT_EQ(shell.messages[0].title, L"Quillon");
}

TEST_F(IdentityChanges, RenameOverEveryReturnedInstance) {
    auto second = binder.NewObject(L"second");
    second->OnCall(L"Rename", Int32(5));
    queryConnection->OnQuery(kComputerSystemQuery, {queriedSystem, second});
    EXPECT_FALSE(identity::RenameComputer(services, L"N", L"1", L"1"));
    EXPECT_EQ(queriedSystem->CallCount(L"Rename"), 1);
    EXPECT_EQ(second->CallCount(L"Rename"), 1);
    EXPECT_EQ(shell.LastMessage(), L"Failed to change the computer name. The error was: 5");
}

TEST_F(IdentityChanges, RenameWithNothingReturnedChangesNothing) {
    queryConnection->OnQuery(kComputerSystemQuery, {});
    EXPECT_FALSE(identity::RenameComputer(services, L"N", L"1", L"1"));
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(IdentityChanges, FailedBindingOrQueryIsReportedLikeAFailingStatus) {
    binder.FailBind(kQueryMoniker, L"The RPC server is unavailable. ");
    EXPECT_FALSE(identity::RenameComputer(services, L"N", L"1", L"1"));
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(
        shell.messages[0].text,
        L"Failed to change the computer name. The error was: The RPC server is unavailable. ");
    EXPECT_EQ(shell.messages[0].style, 16);

    binder.Register(kQueryMoniker, queryConnection);
    queryConnection->FailQuery(kComputerSystemQuery, L"Invalid class ");
    EXPECT_FALSE(identity::RenameComputer(services, L"N", L"1", L"1"));
    EXPECT_EQ(shell.LastMessage(),
              L"Failed to change the computer name. The error was: Invalid class ");

    queryConnection->OnQuery(kComputerSystemQuery, {queriedSystem});
    queriedSystem->FailCall(L"Rename", L"Not supported ");
    EXPECT_FALSE(identity::RenameComputer(services, L"N", L"1", L"1"));
    EXPECT_EQ(shell.LastMessage(),
              L"Failed to change the computer name. The error was: Not supported ");
}

TEST_F(IdentityChanges, JoinDomainPromptsThenJoinsWithFlags35AndNullOu) {
    EXPECT_TRUE(identity::JoinDomain(services, L"corp.Example"));
    EXPECT_EQ(promptCaptions, std::vector<std::wstring>{L"Credentials for CORP.EXAMPLE domain:"});
    EXPECT_EQ(binder.binds, std::vector<std::wstring>{kInstanceMoniker});
    auto joins = instance->CallsTo(L"JoinDomainOrWorkGroup");
    ASSERT_EQ(joins.size(), 1u);
    EXPECT_EQ(joins[0].member, L"JoinDomainOrWorkGroup");
    ASSERT_EQ(joins[0].args.size(), 5u);
    EXPECT_EQ(joins[0].args[0], Text(L"corp.Example"));
    EXPECT_EQ(joins[0].args[1], Text(L"Pa55word"));
    EXPECT_EQ(joins[0].args[2], Text(L"CORP\\admin"));
    EXPECT_TRUE(joins[0].args[3].IsNull());
    EXPECT_TRUE(joins[0].args[4].IsInt16());
    EXPECT_EQ(joins[0].args[4], Int16(35));
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_EQ(OpenPrompts(), 0);
}

TEST_F(IdentityChanges, JoinDomainPassesEmptyCredentialsAsTyped) {
    typedUser = L"";
    typedPassword = L"";
    EXPECT_TRUE(identity::JoinDomain(services, L"corp"));
    auto joins = instance->CallsTo(L"JoinDomainOrWorkGroup");
    ASSERT_EQ(joins.size(), 1u);
    EXPECT_EQ(joins[0].args[1], Text(L""));
    EXPECT_EQ(joins[0].args[2], Text(L""));
}

TEST_F(IdentityChanges, JoinDomainFailureShowsStatusWithoutIcon) {
    instance->OnCall(L"JoinDomainOrWorkGroup", Int32(1355));
    EXPECT_FALSE(identity::JoinDomain(services, L"corp"));
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text, L"Domain join failed. The error code was: 1355");
    EXPECT_EQ(shell.messages[0].style, 0);
    EXPECT_EQ(shell.messages[0].title, L"Quillon");
}

TEST_F(IdentityChanges, JoinDomainBindingFailureShowsItsDescription) {
    binder.FailBind(kInstanceMoniker, L"Access denied ");
    EXPECT_FALSE(identity::JoinDomain(services, L"corp"));
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text, L"Domain join failed. The error code was: Access denied ");
    EXPECT_EQ(shell.messages[0].style, 0);
}

TEST_F(IdentityChanges, EveryWayOutOfThePromptButOkEndsSilently) {
    for (auto answer : {PromptAnswer::Cancel, PromptAnswer::CloseBox}) {
        promptAnswer = answer;
        EXPECT_FALSE(identity::JoinDomain(services, L"corp"));
        EXPECT_FALSE(identity::JoinWorkgroup(services, L"WG", true));
    }
    EXPECT_EQ(promptCaptions.size(), 4u);
    EXPECT_EQ(ChangingCalls(), 0);
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_EQ(OpenPrompts(), 0);
}

TEST_F(IdentityChanges, WorkgroupComputerJoinsAnotherWorkgroupWithoutPrompt) {
    EXPECT_TRUE(identity::JoinWorkgroup(services, L"NEWGROUP", false));
    EXPECT_TRUE(promptCaptions.empty());
    EXPECT_EQ(instance->CallCount(L"UnJoinDomainOrWorkGroup"), 0);
    auto joins = instance->CallsTo(L"JoinDomainOrWorkGroup");
    ASSERT_EQ(joins.size(), 1u);
    ASSERT_EQ(joins[0].args.size(), 5u);
    EXPECT_EQ(joins[0].args[0], Text(L"NEWGROUP"));
    EXPECT_TRUE(joins[0].args[1].IsNull());
    EXPECT_TRUE(joins[0].args[2].IsNull());
    EXPECT_TRUE(joins[0].args[3].IsNull());
    EXPECT_EQ(joins[0].args[4], Int16(0));
    EXPECT_TRUE(joins[0].args[4].IsInt16());
}

TEST_F(IdentityChanges, DomainMemberLeavesTheNamedDomainThenJoinsTheWorkgroup) {
    system.MakeDomainMember(L"corp", L"corp.example.com");
    EXPECT_TRUE(identity::JoinWorkgroup(services, L"WG", true));
    EXPECT_EQ(promptCaptions, std::vector<std::wstring>{L"Credentials for CORP domain:"});
    EXPECT_EQ(instance->MethodNames(),
              (std::vector<std::wstring>{L"UnJoinDomainOrWorkGroup", L"JoinDomainOrWorkGroup"}));
    auto unjoin = instance->CallsTo(L"UnJoinDomainOrWorkGroup")[0];
    ASSERT_EQ(unjoin.args.size(), 3u);
    EXPECT_EQ(unjoin.args[0], Text(L"Pa55word"));
    EXPECT_EQ(unjoin.args[1], Text(L"CORP\\admin"));
    EXPECT_TRUE(unjoin.args[2].IsNull());
    auto join = instance->CallsTo(L"JoinDomainOrWorkGroup")[0];
    EXPECT_EQ(join.args[0], Text(L"WG"));
    EXPECT_EQ(join.args[4], Int16(0));
}

TEST_F(IdentityChanges, LeavePromptFallsBackToTheDnsDomainWhenNoJoinName) {
    system.MakeDomainMember(L"corp", L"corp.example.com");
    system.joinApiStatus = 1;  // the join information is refused
    EXPECT_TRUE(identity::JoinWorkgroup(services, L"WG", true));
    EXPECT_EQ(promptCaptions,
              std::vector<std::wstring>{L"Credentials for CORP.EXAMPLE.COM domain:"});
}

TEST_F(IdentityChanges, RefusedUnjoinStopsBeforeTheWorkgroupJoin) {
    system.MakeDomainMember(L"CORP", L"");
    instance->OnCall(L"UnJoinDomainOrWorkGroup", Int32(1326));
    EXPECT_FALSE(identity::JoinWorkgroup(services, L"WG", true));
    EXPECT_EQ(instance->CallCount(L"JoinDomainOrWorkGroup"), 0);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text,
              L"Failed to remove the computer from the domain. The error code was: 1326");
    EXPECT_EQ(shell.messages[0].style, 0);
    EXPECT_EQ(shell.messages[0].title, L"Quillon");
}

TEST_F(IdentityChanges, FailedWorkgroupJoinAfterUnjoinShowsItsMessage) {
    system.MakeDomainMember(L"CORP", L"");
    instance->OnCall(L"JoinDomainOrWorkGroup", Int32(87));
    EXPECT_FALSE(identity::JoinWorkgroup(services, L"WG", true));
    EXPECT_EQ(instance->CallCount(L"UnJoinDomainOrWorkGroup"), 1);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text, L"Workgroup join failed. The error code was: 87");
    EXPECT_EQ(shell.messages[0].style, 0);
}

TEST_F(IdentityChanges, WorkgroupJoinBindingFailureIsReportedAndDoesNotThrow) {
    binder.FailBind(kInstanceMoniker, L"Invalid namespace ");
    EXPECT_FALSE(identity::JoinWorkgroup(services, L"WG", false));
    EXPECT_EQ(shell.LastMessage(),
              L"Workgroup join failed. The error code was: Invalid namespace ");
    system.MakeDomainMember(L"CORP", L"");
    EXPECT_FALSE(identity::JoinWorkgroup(services, L"WG", true));
    EXPECT_EQ(
        shell.LastMessage(),
        L"Failed to remove the computer from the domain. The error code was: Invalid namespace ");
    EXPECT_TRUE(promptCaptions.empty());
}

TEST_F(IdentityChanges, NonNumericStatusIsReportedNotThrown) {
    instance->OnCall(L"JoinDomainOrWorkGroup", V::Null());
    EXPECT_FALSE(identity::JoinWorkgroup(services, L"WG", false));
    EXPECT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.LastMessage().rfind(L"Workgroup join failed. The error code was: ", 0), 0u);
}

TEST_F(IdentityChanges, RenameAsDialogUsesPlaceholderOnAWorkgroupComputer) {
    EXPECT_TRUE(identity::RenameComputerAsDialog(services, L"NEW", false));
    EXPECT_TRUE(promptCaptions.empty());
    auto renames = queriedSystem->CallsTo(L"Rename");
    ASSERT_EQ(renames.size(), 1u);
    EXPECT_EQ(renames[0].args, (std::vector<V>{Text(L"NEW"), Text(L"1"), Text(L"1")}));
}

TEST_F(IdentityChanges, RenameAsDialogAsksADomainMemberForCredentials) {
    system.MakeDomainMember(L"corp", L"corp.example.com");
    EXPECT_TRUE(identity::RenameComputerAsDialog(services, L"NEW", true));
    EXPECT_EQ(promptCaptions, std::vector<std::wstring>{L"Credentials for CORP domain:"});
    auto renames = queriedSystem->CallsTo(L"Rename");
    ASSERT_EQ(renames.size(), 1u);
    EXPECT_EQ(renames[0].args,
              (std::vector<V>{Text(L"NEW"), Text(L"Pa55word"), Text(L"CORP\\admin")}));
}

TEST_F(IdentityChanges, RenameAsDialogCancelledPromptEndsSilently) {
    system.MakeDomainMember(L"corp", L"corp.example.com");
    for (auto answer : {PromptAnswer::Cancel, PromptAnswer::CloseBox}) {
        promptAnswer = answer;
        EXPECT_FALSE(identity::RenameComputerAsDialog(services, L"NEW", true));
    }
    EXPECT_EQ(ChangingCalls(), 0);
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_EQ(OpenPrompts(), 0);
}

// --- the prompt itself

class CredentialsPrompt : public IdentityFixture {};

TEST_F(CredentialsPrompt, LayoutAndCaptions) {
    auto prompt = ui::NewForm<frmCredentials>(services);
    EXPECT_EQ(prompt->Caption(), L"Login");
    EXPECT_EQ(prompt->clientWidth, 3750);
    EXPECT_EQ(prompt->clientHeight, 1545);
    EXPECT_EQ(prompt->borderStyle, ui::BorderStyle::FixedDialog);
    EXPECT_EQ(prompt->lblLabels[0]->Caption(), L"&User Name:");
    EXPECT_EQ(prompt->lblLabels[1]->Caption(), L"&Password:");
    EXPECT_EQ(prompt->txtPassword->passwordChar, L'*');
    EXPECT_EQ(prompt->txtUserName->passwordChar, 0);
    EXPECT_EQ(prompt->cmdOK->Caption(), L"OK");
    EXPECT_EQ(prompt->cmdCancel->Caption(), L"Cancel");
    EXPECT_EQ(prompt->DefaultButton(), prompt->cmdOK);
    EXPECT_EQ(prompt->CancelButton(), prompt->cmdCancel);
    EXPECT_EQ(
        prompt->TabOrder(),
        (std::vector<ui::Control*>{prompt->lblLabels[0], prompt->txtUserName, prompt->lblLabels[1],
                                   prompt->txtPassword, prompt->cmdOK, prompt->cmdCancel}));
}

TEST_F(CredentialsPrompt, ResultCodes) {
    shell.onModal = nullptr;
    auto ok = ui::NewForm<frmCredentials>(services);
    ok->ShowModal();
    EXPECT_EQ(ok->RC(), 0);
    ok->txtUserName->UserSetText(L"u");
    ok->txtPassword->UserSetText(L"p");
    ok->cmdOK->UserClick();
    EXPECT_EQ(ok->RC(), 1);
    EXPECT_FALSE(ok->IsVisible());
    EXPECT_TRUE(ok->IsLoaded());  // hidden, so the caller can still read the texts
    EXPECT_EQ(ok->UserName(), L"u");
    EXPECT_EQ(ok->Password(), L"p");

    auto cancel = ui::NewForm<frmCredentials>(services);
    cancel->ShowModal();
    cancel->cmdCancel->UserClick();
    EXPECT_EQ(cancel->RC(), 2);
    EXPECT_FALSE(cancel->IsVisible());

    auto closed = ui::NewForm<frmCredentials>(services);
    closed->ShowModal();
    shell.UserClose(*closed);
    EXPECT_EQ(closed->RC(), 0);
    EXPECT_FALSE(closed->IsLoaded());
}

TEST_F(CredentialsPrompt, CaptionIsSetAndShownModally) {
    std::wstring user, password;
    EXPECT_TRUE(identity::PromptForCredentials(services, L"Contoso", user, password));
    EXPECT_EQ(promptCaptions, std::vector<std::wstring>{L"Credentials for CONTOSO domain:"});
    EXPECT_EQ(user, L"CORP\\admin");
    EXPECT_EQ(password, L"Pa55word");
    bool modal = false;
    for (const auto& e : shell.events) modal = modal || e == L"Modal frmCredentials";
    EXPECT_TRUE(modal);
    EXPECT_EQ(OpenPrompts(), 0);
}

}  // namespace
}  // namespace identity_tests
