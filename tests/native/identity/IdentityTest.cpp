// The identity module and the Computer Name dialog over a fake system.
#include <gtest/gtest.h>

#include "identity/frmComputerName.h"
#include "identity/mdlComputerName.h"
#include "tests/fakes/World.h"

namespace {

using identity::frmComputerName;

// The computer name from the system is asked about as a server name.
TEST(IdentityText, AddUncPrefixAddsWhatIsMissing) {
    const std::pair<std::wstring, std::wstring> cases[] = {{L"SERVER", L"\\\\SERVER"},
                                                           {L"\\SERVER", L"\\\\SERVER"},
                                                           {L"\\\\SERVER", L"\\\\SERVER"},
                                                           {L"", L"\\\\"}};
    for (const auto& [name, unc] : cases)
        EXPECT_EQ(identity::AddUncPrefix(name), unc) << testing::PrintToString(name);
}

// What the system reports: the join name and status, the DNS domain, the name.
struct Pc {
    std::wstring joinName;
    int joinStatus;
    std::wstring dnsDomain = L"", name = L"SERVER01";
};
const Pc kWorkgroup{L"WORKGROUP", 2}, kMember{L"CORP", 3, L"corp.example.com"};

struct Row {
    const char* name;
    Pc pc;
    // Setup: "<method>=<status>" ("!<description>": fails); "join refused"; "unreachable": binding
    // fails ("Invalid syntax"); "prompt Cancel", "prompt closed", "restart Yes" (else OK after
    // admin and pw, and No). Steps as fakes::Play's. Shown: Domain, Workgroup: "(o)" selected, "-"
    // disabled and grey, "locked": frame off; "": unchecked. Transcript, in order: calls ("cimv2",
    // "PC" for the monikers), "prompt <caption>", "<style> <message>", power requests.
    std::wstring setup, steps, shown, transcript = L"";
};

std::wstring Offer(const std::wstring& message) {
    return L"4 " + message +
           L" In order for the change to take effect the computer requires a restart. \r\n\r\n"
           L"If you want to restart, click Yes, otherwise click No";
}
std::wstring Joined(const std::wstring& to) {
    return Offer(L"The computer has been successfully joined to " + to + L".");
}
std::wstring JoinDomain(const std::wstring& name) {
    return L"bind PC | PC.JoinDomainOrWorkGroup(\"" + name +
           L"\", \"pw\", \"admin\", null, int16 35)";
}
std::wstring JoinWorkgroup(const std::wstring& name) {
    return L"PC.JoinDomainOrWorkGroup(\"" + name + L"\", null, null, null, int16 0)";
}
const std::wstring kRenamed = Offer(L"Computer name successfully changed.");
const std::wstring kQuery = L"bind cimv2 | cimv2.ExecQuery(\"Select * from Win32_ComputerSystem\")";
const std::wstring kRename = kQuery + L" | CS.Rename(\"NEWNAME\", \"1\", \"1\")";
const std::wstring kCorp = L"prompt Credentials for CORP domain:";
const std::wstring kLeave =
    L"bind PC | " + kCorp + L" | PC.UnJoinDomainOrWorkGroup(\"pw\", \"admin\", null)";
const std::wstring kNewName = L"txtComputerName=NEWNAME; cmdOK";
const std::wstring kToLab = L"optDomainMembership(1); txtWorkgroupName=LAB; cmdOK";

const Row kRows[] = {
    {"a workgroup computer shows its workgroup", kWorkgroup, L"", L"", L"( )[]- (o)[WORKGROUP]"},
    {"a member shows its DNS domain", kMember, L"", L"", L"(o)[corp.example.com] ( )[]-"},
    {"the DNS domain ends at its first NUL", Pc(L"CORP", 3, std::wstring(L"corp\0x", 6)), L"", L"",
     L"(o)[corp] ( )[]-"},
    {"a member without DNS domain shows its join name", Pc(L"CORP", 3), L"", L"",
     L"(o)[CORP] ( )[]-"},
    {"a computer not joined is no member", Pc(L"CORP", 1), L"", L"", L"( )[]- (o)[CORP]"},
    {"unreadable join information: no member, no name", kMember, L"join refused", L"",
     L"( )[]- (o)[]"},
    {"an option click fills in the name read at load", Pc(L"WG", 2, L"lab.local"), L"",
     L"optDomainMembership(0); optDomainMembership(1)", L"( )[]- (o)[lab.local]"},
    {"a workgroup computer picking Domain", kWorkgroup, L"", L"optDomainMembership(0)",
     L"(o)[] ( )[]-"},
    {"a member picking Workgroup empties both boxes", kMember, L"", L"optDomainMembership(1)",
     L"( )[]- (o)[]"},
    {"editing the name locks and resets the membership", kWorkgroup, L"",
     L"txtWorkgroupName=OTHER; txtComputerName=SERVER0", L"locked ( )[]- (o)[WORKGROUP]-"},
    {"editing the name undoes a member's switch", kMember, L"",
     L"optDomainMembership(1); txtComputerName=X", L"locked (o)[corp.example.com]- ( )[]-"},
    {"the name typed back in other cases of É and Ж unlocks", Pc(L"WG", 2, L"", L"ÉCOLE-Ж"), L"",
     L"txtComputerName=SERVER0; txtComputerName=école-ж; cmdOK", L"( )[]- (o)[WG]"},
    {"a workgroup computer is renamed with the placeholder", kWorkgroup, L"",
     L"optDomainMembership(0); txtDomainName=corp; " + kNewName, L"", kRename + L" | " + kRenamed},
    {"Yes to the restart question restarts", kWorkgroup, L"restart Yes", kNewName, L"",
     kRename + L" | " + kRenamed + L" | exit 2 FFFFFFFF | start shutdown.exe -r -t 5 0"},
    {"a member is renamed with the domain's credentials", kMember, L"", kNewName, L"",
     kCorp + L" | " + kQuery + L" | CS.Rename(\"NEWNAME\", \"pw\", \"admin\") | " + kRenamed},
    {"without a join name the prompt names the DNS domain", Pc(L"", 3, L"corp.example.com"), L"",
     kNewName, L"",
     L"prompt Credentials for CORP.EXAMPLE.COM domain: | " + kQuery +
         L" | CS.Rename(\"NEWNAME\", \"pw\", \"admin\") | " + kRenamed},
    {"Cancel on the prompt ends a member's rename", kMember, L"prompt Cancel", kNewName, L"",
     kCorp},
    {"the close box ends leaving the domain", kMember, L"prompt closed", kToLab, L"",
     L"bind PC | " + kCorp},
    {"a refused rename shows its status with the stop icon", kWorkgroup, L"Rename=1219", kNewName,
     L"", kRename + L" | 16 Failed to change the computer name. The error was: 1219"},
    {"an empty name renames nothing and says nothing", kWorkgroup, L"", L"txtComputerName=; cmdOK",
     L"", kQuery},
    {"a member joins another domain", kMember, L"", L"txtDomainName=été.example.com; cmdOK", L"",
     L"prompt Credentials for ÉTÉ.EXAMPLE.COM domain: | " + JoinDomain(L"été.example.com") +
         L" | " + Joined(L"domain été.example.com")},
    {"a member's domain in another case is no change", Pc(L"ÉTÉ", 3, L"été.example.com"), L"",
     L"txtDomainName=ÉTÉ.Example.COM; cmdOK", L""},
    {"a member moves to a workgroup after leaving its domain", kMember, L"", kToLab, L"",
     kLeave + L" | " + JoinWorkgroup(L"LAB") + L" | " + Joined(L"workgroup LAB")},
    {"an empty workgroup name is still tried", kMember, L"", L"optDomainMembership(1); cmdOK", L"",
     kLeave + L" | " + JoinWorkgroup(L"") + L" | " + Joined(L"workgroup ")},
    {"refused credentials stop at leaving the domain", kMember, L"UnJoinDomainOrWorkGroup=1326",
     kToLab, L"",
     kLeave + L" | 0 Failed to remove the computer from the domain. The error code was: 1326"},
    {"a leave that fails outright is told and nothing follows", kMember,
     L"UnJoinDomainOrWorkGroup=!Access denied", kToLab, L"",
     kLeave +
         L" | 0 Failed to remove the computer from the domain. The error code was: Access denied"},
    {"a workgroup computer with Domain picked joins even without a name", kWorkgroup, L"",
     L"optDomainMembership(0); cmdOK", L"",
     L"prompt Credentials for  domain: | " + JoinDomain(L"") + L" | " + Joined(L"domain ")},
    {"a refused domain join shows its status without icon", kWorkgroup,
     L"JoinDomainOrWorkGroup=1355", L"optDomainMembership(0); txtDomainName=corp; cmdOK", L"",
     kCorp + L" | " + JoinDomain(L"corp") + L" | 0 Domain join failed. The error code was: 1355"},
    {"a cancelled domain join is silent", kWorkgroup, L"prompt Cancel",
     L"optDomainMembership(0); txtDomainName=corp; cmdOK", L"", kCorp},
    {"each OK compares with the state at load", kWorkgroup, L"",
     L"txtWorkgroupName=LAB; cmdOK; cmdOK", L"",
     L"bind PC | " + JoinWorkgroup(L"LAB") + L" | " + Joined(L"workgroup LAB") + L" | bind PC | " +
         JoinWorkgroup(L"LAB") + L" | " + Joined(L"workgroup LAB")},
    {"a refused workgroup join", kWorkgroup, L"JoinDomainOrWorkGroup=2",
     L"txtWorkgroupName=LAB; cmdOK", L"",
     L"bind PC | " + JoinWorkgroup(L"LAB") + L" | 0 Workgroup join failed. The error code was: 2"},
    {"the workgroup in another case is no change", Pc(L"ЖУК", 2), L"",
     L"txtWorkgroupName=жук; cmdOK", L""},
    {"OK without a change does nothing", kMember, L"", L"cmdOK; cmdOK", L""},
    {"an unreachable service is told like a refusal", kWorkgroup, L"unreachable",
     L"txtWorkgroupName=LAB; cmdOK", L"",
     L"bind PC | 0 Workgroup join failed. The error code was: Invalid syntax"},
    {"an unreachable service stops a member leaving its domain", kMember, L"unreachable", kToLab,
     L"",
     L"bind PC | 0 Failed to remove the computer from the domain. The error code was: Invalid "
     L"syntax"},
};

std::wstring Box(const ui::OptionButton& option, const ui::TextBox& box) {
    EXPECT_EQ(box.BackColor(),
              box.Enabled() ? ui::kColorWindowBackground : ui::kColorInactiveBorder);
    return (option.Value() ? L"(o)[" : L"( )[") + box.Text() + L"]" + (box.Enabled() ? L"" : L"-");
}

TEST(ComputerName, ShowsAsksAndTells) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        fakes::World w;
        auto has = [&](const wchar_t* what) { return row.setup.find(what) != std::wstring::npos; };
        w.identity.computerName = row.pc.name;
        w.identity.joinName = row.pc.joinName;
        w.identity.joinStatus = row.pc.joinStatus;
        w.identity.dnsDomain = row.pc.dnsDomain;
        w.identity.joinApiStatus = has(L"join refused") ? 5 : 0;
        const std::wstring cimv2 =
            L"winmgmts:{impersonationLevel=impersonate}!\\\\SERVER01\\root\\cimv2";
        const std::wstring pc =
            L"winmgmts:{impersonationLevel=Impersonate}!\\\\SERVER01\\root\\cimv2:"
            L"Win32_ComputerSystem.Name='SERVER01'";
        auto system = w.objects.New(L"CS");
        auto instance = has(L"unreachable") ? w.objects.New(L"PC") : w.objects.Add(pc);
        w.objects.Add(cimv2)->Query(L"Select * from Win32_ComputerSystem", {system});
        for (const wchar_t* method :
             {L"Rename", L"JoinDomainOrWorkGroup", L"UnJoinDomainOrWorkGroup"}) {
            const auto at = row.setup.find(std::wstring(method) + L"=");
            const std::wstring answer =
                at == std::wstring::npos ? L"0" : row.setup.substr(row.setup.find(L'=', at) + 1);
            (method == std::wstring(L"Rename") ? system : instance)
                ->On(method, answer[0] == L'!' ? fakes::Fails(answer.substr(1))
                                               : fakes::Returns(std::stoi(answer)));
        }
        w.shell.onModal = [&](ui::Form& prompt) {
            w.objects.journal.push_back(L"prompt " + prompt.Caption());
            // Each label is found by its index (a no-op step); then Enter or Escape answers.
            fakes::Play(prompt, L"lblLabels(0); txtUserName=admin; lblLabels(1); txtPassword=pw");
            ui::Button* answer =
                has(L"prompt Cancel") ? prompt.CancelButton() : prompt.DefaultButton();
            ASSERT_TRUE(answer);
            has(L"prompt closed") ? w.shell.UserClose(prompt) : answer->UserClick();
        };
        w.shell.onMessage = [&](const fakes::ShownMessage& m) {
            w.objects.journal.push_back(std::to_wstring(m.style) + L" " + m.text);
            EXPECT_EQ(m.title, m.style == ui::kMbYesNo ? L"Reboot the computer now ?" : L"Quillon");
        };
        if (has(L"restart Yes")) w.shell.answers = {ui::kIdYes};

        auto form = w.Open<frmComputerName>(L"frmComputerName");
        EXPECT_EQ(form->txtComputerName->Text(), row.pc.name);
        EXPECT_EQ(w.identity.lastJoinServer, L"\\\\" + row.pc.name);
        fakes::Play(*form, row.steps);

        if (!row.shown.empty()) {
            EXPECT_EQ((form->Frame1->Enabled() ? L"" : L"locked ") +
                          Box(*form->optDomainMembership[0], *form->txtDomainName) + L" " +
                          Box(*form->optDomainMembership[1], *form->txtWorkgroupName),
                      row.shown);
        }
        std::vector<std::wstring> transcript = w.objects.journal;
        for (std::wstring& line : transcript)
            for (const auto& [moniker, alias] : {std::pair{pc, L"PC"}, std::pair{cimv2, L"cimv2"}})
                if (line.find(moniker) != std::wstring::npos)
                    line.replace(line.find(moniker), moniker.size(), alias);
        transcript.insert(transcript.end(), w.system.journal.begin(), w.system.journal.end());
        EXPECT_EQ(fakes::Join(transcript), row.transcript);
        EXPECT_EQ(w.shell.LoadedForms().size(), 1u);  // no prompt left behind
        fakes::Play(*form, L"cmdCancel");
        EXPECT_FALSE(form->IsLoaded());
    }
}

TEST(ComputerName, OpeningAgainReadsAfreshExceptTheNameOnceKnown) {
    fakes::World w;
    w.identity.computerName = L"";
    EXPECT_EQ(w.Open<frmComputerName>(L"frmComputerName")->txtComputerName->Text(), L"");
    w.identity.computerName = L"SERVER01";  // an empty answer is not kept
    EXPECT_EQ(w.Open<frmComputerName>(L"frmComputerName")->txtComputerName->Text(), L"SERVER01");
    w.identity.computerName = L"CHANGED";
    w.identity.joinStatus = 3;
    auto again = w.Open<frmComputerName>(L"frmComputerName");
    EXPECT_EQ(again->txtComputerName->Text(), L"SERVER01");
    EXPECT_TRUE(again->IsDomainMember());
}

}  // namespace
