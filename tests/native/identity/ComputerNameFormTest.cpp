// The Computer Name dialog with scripted identity answers and instrumentation
// objects: what it shows, how the name box locks the membership controls, and
// what OK does in every row of its decision table.
#include <gtest/gtest.h>

#include "app/FormCatalog.h"
#include "identity/frmComputerName.h"
#include "tests/native/identity/IdentityFixture.h"

namespace identity_tests {
namespace {

using identity::frmComputerName;

const std::wstring kRestartTail =
    L" In order for the change to take effect the computer requires a restart. \r\n\r\n"
    L"If you want to restart, click Yes, otherwise click No";

class ComputerNameForm : public IdentityFixture {
  protected:
    std::shared_ptr<frmComputerName> form;

    void Open() {
        form = ui::NewForm<frmComputerName>(services);
        form->Load();
        form->Show();
    }
    void MakeDomainMember() { system.MakeDomainMember(L"CORP", L"corp.example.com"); }

    bool DomainSelected() const { return form->optDomainMembership[0]->Value(); }
    bool WorkgroupSelected() const { return form->optDomainMembership[1]->Value(); }

    void ExpectBox(const ui::TextBox& box, bool enabled) const {
        EXPECT_EQ(box.Enabled(), enabled) << std::string(box.Name().begin(), box.Name().end());
        EXPECT_EQ(box.BackColor(), enabled ? 0x80000005u : 0x8000000Bu);
    }
    void ExpectRestartOffered(const std::wstring& message) const {
        ASSERT_EQ(shell.messages.size(), 1u);
        EXPECT_EQ(shell.messages[0].text, message + kRestartTail);
        EXPECT_EQ(shell.messages[0].style, 4);
        EXPECT_EQ(shell.messages[0].title, L"Reboot the computer now ?");
    }
};

TEST_F(ComputerNameForm, IsRegisteredAndLaidOut) {
    EXPECT_TRUE(app::FormCatalog::Default().Has(L"frmComputerName"));
    Open();
    EXPECT_EQ(form->Caption(), L"Computer Name Changes");
    EXPECT_EQ(form->clientWidth, 4335);
    EXPECT_EQ(form->clientHeight, 3885);
    EXPECT_EQ(form->fontName, L"Verdana");
    EXPECT_EQ(form->Label1->Caption(), L"Computer name:");
    EXPECT_EQ(form->Frame1->Caption(), L"Member of:");
    EXPECT_EQ(form->optDomainMembership[0]->Caption(), L"Domain:");
    EXPECT_EQ(form->optDomainMembership[1]->Caption(), L"Workgroup:");
    EXPECT_EQ(form->cmdOK->Caption(), L"&OK");
    EXPECT_EQ(form->cmdCancel->Caption(), L"&Cancel");
    for (ui::Control* inside : {static_cast<ui::Control*>(form->optDomainMembership[0]),
                                static_cast<ui::Control*>(form->optDomainMembership[1]),
                                static_cast<ui::Control*>(form->txtDomainName),
                                static_cast<ui::Control*>(form->txtWorkgroupName)})
        EXPECT_EQ(inside->container, form->Frame1);
    EXPECT_EQ(form->TabOrder(),
              (std::vector<ui::Control*>{form->Label1, form->txtComputerName, form->Frame1,
                                         form->optDomainMembership[0], form->optDomainMembership[1],
                                         form->txtDomainName, form->txtWorkgroupName, form->cmdOK,
                                         form->cmdCancel}));
}

TEST_F(ComputerNameForm, WorkgroupComputerLoads) {
    Open();
    EXPECT_EQ(form->txtComputerName->Text(), L"SERVER01");
    EXPECT_FALSE(form->NameChanged());
    EXPECT_FALSE(form->IsDomainMember());
    EXPECT_EQ(form->CurrentMembershipName(), L"WORKGROUP");
    EXPECT_TRUE(WorkgroupSelected());
    EXPECT_FALSE(DomainSelected());
    EXPECT_EQ(form->txtWorkgroupName->Text(), L"WORKGROUP");
    EXPECT_EQ(form->txtDomainName->Text(), L"");
    EXPECT_TRUE(form->Frame1->Enabled());
    ExpectBox(*form->txtWorkgroupName, true);
    ExpectBox(*form->txtDomainName, false);
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_TRUE(binder.binds.empty());
}

TEST_F(ComputerNameForm, DomainMemberLoadsWithTheDnsDomain) {
    MakeDomainMember();
    Open();
    EXPECT_TRUE(form->IsDomainMember());
    EXPECT_EQ(form->CurrentMembershipName(), L"corp.example.com");
    EXPECT_TRUE(DomainSelected());
    EXPECT_EQ(form->txtDomainName->Text(), L"corp.example.com");
    EXPECT_EQ(form->txtWorkgroupName->Text(), L"");
    ExpectBox(*form->txtDomainName, true);
    ExpectBox(*form->txtWorkgroupName, false);
}

TEST_F(ComputerNameForm, DomainMemberWithoutDnsDomainShowsTheJoinName) {
    system.MakeDomainMember(L"CORP", L"");
    Open();
    EXPECT_EQ(form->CurrentMembershipName(), L"CORP");
    EXPECT_EQ(form->txtDomainName->Text(), L"CORP");
}

TEST_F(ComputerNameForm, WorkgroupComputerWithADnsSuffixTakesItAsMembershipName) {
    system.dnsDomain = L"lab.local";
    Open();
    EXPECT_EQ(form->CurrentMembershipName(), L"lab.local");
    // The box shows the join name when the system is asked again...
    EXPECT_EQ(form->txtWorkgroupName->Text(), L"WORKGROUP");
    // ...but the option click puts the membership name read at load.
    form->optDomainMembership[0]->UserClick();
    form->optDomainMembership[1]->UserClick();
    EXPECT_EQ(form->txtWorkgroupName->Text(), L"lab.local");
}

TEST_F(ComputerNameForm, EditingTheNameLocksAndResetsMembershipAndTypingItBackUnlocks) {
    Open();
    form->txtWorkgroupName->UserSetText(L"OTHERGROUP");
    form->txtComputerName->UserSetText(L"SERVER0");
    EXPECT_TRUE(form->NameChanged());
    EXPECT_FALSE(form->Frame1->Enabled());
    EXPECT_FALSE(form->optDomainMembership[0]->EffectivelyEnabled());
    ExpectBox(*form->txtWorkgroupName, false);
    ExpectBox(*form->txtDomainName, false);
    EXPECT_EQ(form->txtWorkgroupName->Text(), L"WORKGROUP");  // the edit was discarded

    form->txtComputerName->UserSetText(L"server01");  // back, in another case
    EXPECT_FALSE(form->NameChanged());
    EXPECT_TRUE(form->Frame1->Enabled());
    ExpectBox(*form->txtWorkgroupName, true);
    ExpectBox(*form->txtDomainName, false);
    EXPECT_TRUE(WorkgroupSelected());
    EXPECT_EQ(form->txtWorkgroupName->Text(), L"WORKGROUP");
}

TEST_F(ComputerNameForm, EditingTheNameOnADomainMemberResetsASwitchToWorkgroup) {
    MakeDomainMember();
    Open();
    form->optDomainMembership[1]->UserClick();
    EXPECT_EQ(form->txtDomainName->Text(), L"");
    EXPECT_EQ(form->txtWorkgroupName->Text(), L"");
    form->txtComputerName->UserSetText(L"X");
    EXPECT_TRUE(DomainSelected());
    EXPECT_EQ(form->txtDomainName->Text(), L"corp.example.com");
    ExpectBox(*form->txtDomainName, false);
    form->txtComputerName->UserSetText(L"SERVER01");
    ExpectBox(*form->txtDomainName, true);
    ExpectBox(*form->txtWorkgroupName, false);
}

TEST_F(ComputerNameForm, OptionClicksFillTheBoxOfTheMatchingKindOnly) {
    Open();  // workgroup computer
    form->optDomainMembership[0]->UserClick();
    EXPECT_EQ(form->txtDomainName->Text(), L"");
    EXPECT_EQ(form->txtWorkgroupName->Text(), L"");
    ExpectBox(*form->txtDomainName, true);
    ExpectBox(*form->txtWorkgroupName, false);
    form->txtDomainName->UserSetText(L"corp");
    form->optDomainMembership[0]->UserClick();  // again: the handler runs again
    EXPECT_EQ(form->txtDomainName->Text(), L"");
    form->optDomainMembership[1]->UserClick();
    EXPECT_EQ(form->txtWorkgroupName->Text(), L"WORKGROUP");
    EXPECT_EQ(form->txtDomainName->Text(), L"");
}

// --- OK, row by row

TEST_F(ComputerNameForm, RenameOfAWorkgroupComputerUsesThePlaceholderAndOffersRestart) {
    Open();
    form->txtDomainName->UserSetText(L"ignored");
    form->txtComputerName->UserSetText(L"NEWNAME");
    shell.answers = {ui::kIdNo};
    form->cmdOK->UserClick();
    EXPECT_EQ(binder.binds, std::vector<std::wstring>{kQueryMoniker});
    auto renames = Calls(L"Rename");
    ASSERT_EQ(renames.size(), 1u);
    EXPECT_EQ(renames[0].args, (std::vector<V>{Text(L"NEWNAME"), Text(L"1"), Text(L"1")}));
    EXPECT_EQ(Calls(L"JoinDomainOrWorkGroup").size(), 0u);
    EXPECT_TRUE(promptCaptions.empty());
    ExpectRestartOffered(L"Computer name successfully changed.");
    EXPECT_TRUE(power.requests.empty());
    EXPECT_TRUE(launcher.started.empty());
    EXPECT_TRUE(form->IsLoaded());
    EXPECT_EQ(form->txtComputerName->Text(), L"NEWNAME");
}

TEST_F(ComputerNameForm, YesToTheRestartQuestionRestarts) {
    Open();
    form->txtComputerName->UserSetText(L"NEWNAME");
    shell.answers = {ui::kIdYes};
    form->cmdOK->UserClick();
    ASSERT_EQ(power.requests.size(), 1u);
    EXPECT_EQ(power.requests[0].flags, 2u);
    EXPECT_EQ(launcher.started, std::vector<std::wstring>{L"shutdown.exe -r -t 5 /show 0"});
}

TEST_F(ComputerNameForm, RenameOfADomainMemberAsksForDomainCredentials) {
    MakeDomainMember();
    Open();
    form->txtComputerName->UserSetText(L"NEWNAME");
    form->cmdOK->UserClick();
    EXPECT_EQ(promptCaptions, std::vector<std::wstring>{L"Credentials for CORP domain:"});
    auto renames = Calls(L"Rename");
    ASSERT_EQ(renames.size(), 1u);
    EXPECT_EQ(renames[0].args,
              (std::vector<V>{Text(L"NEWNAME"), Text(L"Pa55word"), Text(L"CORP\\admin")}));
    ExpectRestartOffered(L"Computer name successfully changed.");
}

TEST_F(ComputerNameForm, RenameOfADomainMemberEndsSilentlyWhenThePromptIsCancelled) {
    MakeDomainMember();
    Open();
    form->txtComputerName->UserSetText(L"NEWNAME");
    for (auto answer : {PromptAnswer::Cancel, PromptAnswer::CloseBox}) {
        promptAnswer = answer;
        form->cmdOK->UserClick();
    }
    EXPECT_EQ(promptCaptions.size(), 2u);
    EXPECT_EQ(ChangingCalls(), 0);
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_TRUE(form->IsLoaded());
}

TEST_F(ComputerNameForm, FailedRenameShowsOnlyItsOwnMessage) {
    Open();
    queriedSystem->OnCall(L"Rename", Int32(1219));
    form->txtComputerName->UserSetText(L"NEWNAME");
    form->cmdOK->UserClick();
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text, L"Failed to change the computer name. The error was: 1219");
    EXPECT_EQ(shell.messages[0].style, 16);
    EXPECT_EQ(shell.messages[0].title, L"Quillon");
    EXPECT_TRUE(form->IsLoaded());
}

TEST_F(ComputerNameForm, RenameToAnEmptyNameDoesNothingVisible) {
    Open();
    form->txtComputerName->UserSetText(L"");
    form->cmdOK->UserClick();
    EXPECT_EQ(ChangingCalls(), 0);
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(ComputerNameForm, DomainMemberJoiningAnotherDomain) {
    MakeDomainMember();
    Open();
    form->txtDomainName->UserSetText(L"other.example.com");
    form->cmdOK->UserClick();
    EXPECT_EQ(promptCaptions,
              std::vector<std::wstring>{L"Credentials for OTHER.EXAMPLE.COM domain:"});
    auto joins = Calls(L"JoinDomainOrWorkGroup");
    ASSERT_EQ(joins.size(), 1u);
    EXPECT_EQ(joins[0].args, (std::vector<V>{Text(L"other.example.com"), Text(L"Pa55word"),
                                             Text(L"CORP\\admin"), V::Null(), Int16(35)}));
    EXPECT_EQ(binder.binds, std::vector<std::wstring>{kInstanceMoniker});
    ExpectRestartOffered(L"The computer has been successfully joined to domain other.example.com.");
}

TEST_F(ComputerNameForm, DomainMemberWithTheSameDomainInAnotherCaseDoesNothing) {
    MakeDomainMember();
    Open();
    form->txtDomainName->UserSetText(L"CORP.Example.COM");
    form->cmdOK->UserClick();
    EXPECT_TRUE(promptCaptions.empty());
    EXPECT_TRUE(binder.journal.empty());
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(ComputerNameForm, DomainMemberMovingToAWorkgroupLeavesTheDomainFirst) {
    MakeDomainMember();
    Open();
    form->optDomainMembership[1]->UserClick();
    form->txtWorkgroupName->UserSetText(L"LAB");
    form->cmdOK->UserClick();
    EXPECT_EQ(promptCaptions, std::vector<std::wstring>{L"Credentials for CORP domain:"});
    EXPECT_EQ(instance->MethodNames(),
              (std::vector<std::wstring>{L"UnJoinDomainOrWorkGroup", L"JoinDomainOrWorkGroup"}));
    EXPECT_EQ(instance->CallsTo(L"UnJoinDomainOrWorkGroup")[0].args,
              (std::vector<V>{Text(L"Pa55word"), Text(L"CORP\\admin"), V::Null()}));
    EXPECT_EQ(instance->CallsTo(L"JoinDomainOrWorkGroup")[0].args,
              (std::vector<V>{Text(L"LAB"), V::Null(), V::Null(), V::Null(), Int16(0)}));
    ExpectRestartOffered(L"The computer has been successfully joined to workgroup LAB.");
}

TEST_F(ComputerNameForm, DomainMemberMovingToAnEmptyWorkgroupNameStillTries) {
    MakeDomainMember();
    Open();
    form->optDomainMembership[1]->UserClick();
    form->cmdOK->UserClick();
    EXPECT_EQ(promptCaptions.size(), 1u);
    auto joins = Calls(L"JoinDomainOrWorkGroup");
    ASSERT_EQ(joins.size(), 1u);
    EXPECT_EQ(joins[0].args[0], Text(L""));
    ExpectRestartOffered(L"The computer has been successfully joined to workgroup .");
}

TEST_F(ComputerNameForm, DomainMemberLeavingWithRefusedCredentialsStopsAtTheUnjoin) {
    MakeDomainMember();
    instance->OnCall(L"UnJoinDomainOrWorkGroup", Int32(1326));
    Open();
    form->optDomainMembership[1]->UserClick();
    form->txtWorkgroupName->UserSetText(L"LAB");
    form->cmdOK->UserClick();
    EXPECT_EQ(Calls(L"JoinDomainOrWorkGroup").size(), 0u);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text,
              L"Failed to remove the computer from the domain. The error code was: 1326");
    EXPECT_EQ(shell.messages[0].style, 0);
}

TEST_F(ComputerNameForm, WorkgroupComputerWithDomainSelectedAlwaysJoins) {
    Open();
    form->optDomainMembership[0]->UserClick();
    form->cmdOK->UserClick();  // empty box
    form->txtDomainName->UserSetText(L"corp");
    form->cmdOK->UserClick();
    EXPECT_EQ(promptCaptions, (std::vector<std::wstring>{L"Credentials for  domain:",
                                                         L"Credentials for CORP domain:"}));
    auto joins = Calls(L"JoinDomainOrWorkGroup");
    ASSERT_EQ(joins.size(), 2u);
    EXPECT_EQ(joins[0].args[0], Text(L""));
    EXPECT_EQ(joins[1].args, (std::vector<V>{Text(L"corp"), Text(L"Pa55word"), Text(L"CORP\\admin"),
                                             V::Null(), Int16(35)}));
    ASSERT_EQ(shell.messages.size(), 2u);
    EXPECT_EQ(shell.messages[1].text,
              L"The computer has been successfully joined to domain corp." + kRestartTail);
}

TEST_F(ComputerNameForm, FailedDomainJoinShowsItsMessageWithoutIconAndNoRestartOffer) {
    instance->OnCall(L"JoinDomainOrWorkGroup", Int32(1355));
    Open();
    form->optDomainMembership[0]->UserClick();
    form->txtDomainName->UserSetText(L"corp");
    form->cmdOK->UserClick();
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text, L"Domain join failed. The error code was: 1355");
    EXPECT_EQ(shell.messages[0].style, 0);
    EXPECT_EQ(shell.messages[0].title, L"Quillon");
}

TEST_F(ComputerNameForm, CancelledDomainJoinIsSilent) {
    promptAnswer = PromptAnswer::Cancel;
    Open();
    form->optDomainMembership[0]->UserClick();
    form->txtDomainName->UserSetText(L"corp");
    form->cmdOK->UserClick();
    EXPECT_EQ(ChangingCalls(), 0);
    EXPECT_TRUE(binder.binds.empty());
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(ComputerNameForm, WorkgroupComputerMovingToAnotherWorkgroup) {
    Open();
    form->txtWorkgroupName->UserSetText(L"LAB");
    form->cmdOK->UserClick();
    EXPECT_TRUE(promptCaptions.empty());
    EXPECT_EQ(instance->MethodNames(), std::vector<std::wstring>{L"JoinDomainOrWorkGroup"});
    EXPECT_EQ(instance->CallsTo(L"JoinDomainOrWorkGroup")[0].args,
              (std::vector<V>{Text(L"LAB"), V::Null(), V::Null(), V::Null(), Int16(0)}));
    ExpectRestartOffered(L"The computer has been successfully joined to workgroup LAB.");
}

TEST_F(ComputerNameForm, FailedWorkgroupJoinShowsItsMessage) {
    instance->OnCall(L"JoinDomainOrWorkGroup", Int32(2));
    Open();
    form->txtWorkgroupName->UserSetText(L"LAB");
    form->cmdOK->UserClick();
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text, L"Workgroup join failed. The error code was: 2");
    EXPECT_EQ(shell.messages[0].style, 0);
}

TEST_F(ComputerNameForm, WorkgroupComputerWithTheSameWorkgroupInAnotherCaseDoesNothing) {
    Open();
    form->txtWorkgroupName->UserSetText(L"workGroup");
    form->cmdOK->UserClick();
    form->txtWorkgroupName->UserSetText(L"WORKGROUP");
    form->cmdOK->UserClick();
    EXPECT_TRUE(binder.journal.empty());
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(ComputerNameForm, OkWithNoChangeDoesNothingTwice) {
    MakeDomainMember();
    Open();
    form->cmdOK->UserClick();
    form->cmdOK->UserClick();
    EXPECT_TRUE(binder.journal.empty());
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_TRUE(form->IsLoaded());
}

TEST_F(ComputerNameForm, SecondOkRepeatsTheComparisonAgainstTheLoadedState) {
    Open();
    form->txtWorkgroupName->UserSetText(L"LAB");
    form->cmdOK->UserClick();
    form->cmdOK->UserClick();
    EXPECT_EQ(instance->CallCount(L"JoinDomainOrWorkGroup"), 2);
    EXPECT_EQ(form->CurrentMembershipName(), L"WORKGROUP");
}

TEST_F(ComputerNameForm, FailingInstrumentationIsReportedAndTheDialogKeepsWorking) {
    Open();
    binder.FailEverything(L"The RPC server is unavailable. ");
    form->txtWorkgroupName->UserSetText(L"LAB");
    form->cmdOK->UserClick();
    form->txtComputerName->UserSetText(L"NEWNAME");
    form->cmdOK->UserClick();
    ASSERT_EQ(shell.messages.size(), 2u);
    EXPECT_EQ(shell.messages[0].text,
              L"Workgroup join failed. The error code was: The RPC server is unavailable. ");
    EXPECT_EQ(shell.messages[0].style, 0);
    EXPECT_EQ(
        shell.messages[1].text,
        L"Failed to change the computer name. The error was: The RPC server is unavailable. ");
    EXPECT_EQ(shell.messages[1].style, 16);

    binder.StopFailing();
    shell.messages.clear();
    form->cmdOK->UserClick();
    EXPECT_EQ(Calls(L"Rename").size(), 1u);
    ExpectRestartOffered(L"Computer name successfully changed.");
}

TEST_F(ComputerNameForm, CancelUnloadsWithoutChangingAnything) {
    Open();
    form->txtWorkgroupName->UserSetText(L"LAB");
    form->cmdCancel->UserClick();
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_TRUE(binder.journal.empty());
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(ComputerNameForm, ReopeningReadsAfreshExceptTheCachedName) {
    Open();
    system.computerName = L"CHANGED";
    system.MakeDomainMember(L"CORP", L"corp.example.com");
    auto second = ui::NewForm<frmComputerName>(services);
    second->Load();
    EXPECT_EQ(second->txtComputerName->Text(), L"SERVER01");
    EXPECT_TRUE(second->IsDomainMember());
    EXPECT_EQ(system.computerNameCalls, 1);
}

}  // namespace
}  // namespace identity_tests
