#include <gtest/gtest.h>

#include <map>

#include "app/FormCatalog.h"
#include "app/Services.h"
#include "remote/frmFirewall.h"
#include "sysaccess/ICommandRunner.h"
#include "sysaccess/VbError.h"
#include "tests/support/TestShell.h"

namespace {

using remote::frmFirewall;

// Records every command and answers from a script (default "Ok.").
class ScriptedRunner : public sysaccess::ICommandRunner {
  public:
    struct Call {
        std::wstring commandLine;
        bool stdOut, stdErr, oemToAnsi;
    };
    std::vector<Call> calls;
    std::map<std::wstring, std::wstring> outputs;  // by a fragment of the command line
    std::wstring RunAndCaptureOutput(const std::wstring& commandLine, bool captureStdOut,
                                     bool captureStdErr, bool oemToAnsi) override {
        calls.push_back({commandLine, captureStdOut, captureStdErr, oemToAnsi});
        for (const auto& [fragment, output] : outputs)
            if (commandLine.find(fragment) != std::wstring::npos) {
                if (output == L"<throw>")
                    throw sysaccess::VbError(5, L"", L"Invalid procedure call");
                return output;
            }
        return L"\r\nOk.\r\n\r\n";
    }
    std::vector<std::wstring> CommandLines() const {
        std::vector<std::wstring> lines;
        for (const auto& c : calls) lines.push_back(c.commandLine);
        return lines;
    }
};

struct Firewall : ::testing::Test {
    testing_support::TestShell shell;
    ScriptedRunner runner;
    app::Services services;
    std::shared_ptr<frmFirewall> form;

    void SetUp() override {
        services.shell = &shell;
        services.runner = &runner;
        services.catalog = &app::FormCatalog::Default();
        form = std::dynamic_pointer_cast<frmFirewall>(app::OpenModeless(services, L"frmFirewall"));
        ASSERT_TRUE(form) << "frmFirewall is registered in the catalog";
    }

    std::vector<std::wstring> Messages() const {
        std::vector<std::wstring> texts;
        for (const auto& m : shell.messages) texts.push_back(m.text);
        return texts;
    }
};

const std::wstring kEnabled = L"Successfully enabled selected firewall rule groups.";
const std::wstring kDisabled = L"Successfully disabled selected firewall rule groups.";

TEST_F(Firewall, WindowLayoutCaptionsAndTabOrder) {
    EXPECT_EQ(form->Caption(), L"Firewall Configuration");
    EXPECT_EQ(form->clientWidth, 4335);
    EXPECT_EQ(form->clientHeight, 5880);
    const wchar_t* captions[] = {L"Remote Administration",
                                 L"Windows Firewall Remote Management",
                                 L"Remote Event Log Management",
                                 L"Remote Service Management",
                                 L"Remote Desktop",
                                 L"Remote Scheduled Tasks Management",
                                 L"Performance Logs and Alerts",
                                 L"File and Printer Sharing",
                                 L"Remote Volume Management",
                                 L"Enable ICMP (Ping) Replies"};
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(form->Find(L"chkFwRules", i), form->chkFwRules[i]);
        EXPECT_EQ(form->chkFwRules[i]->Caption(), captions[i]);
        EXPECT_EQ(form->chkFwRules[i]->bounds.top, 120 + 480 * i);
        EXPECT_EQ(form->chkFwRules[i]->bounds.left, 120);
        EXPECT_EQ(form->chkFwRules[i]->bounds.width, 3975);
        EXPECT_EQ(form->chkFwRules[i]->bounds.height, 375);
        EXPECT_EQ(form->chkFwRules[i]->Value(), 0) << "boxes start unticked";
    }
    EXPECT_EQ(form->cmdConfigure->Caption(), L"Enable selected rule groups");
    EXPECT_EQ(form->cmdConfigure->bounds.top, 4920);
    EXPECT_EQ(form->cmdDisable->Caption(), L"Disable selected rule groups");
    EXPECT_EQ(form->cmdDisable->bounds.top, 5400);
    EXPECT_EQ(form->cmdDisable->bounds.left, 720);
    EXPECT_EQ(form->cmdDisable->bounds.width, 2895);
    auto order = form->TabOrder();
    ASSERT_GE(order.size(), 12u);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(order[i], form->chkFwRules[i]);
    EXPECT_EQ(order[9], form->cmdConfigure);
    EXPECT_EQ(order[10], form->chkFwRules[9]);
    EXPECT_EQ(order[11], form->cmdDisable);
    EXPECT_TRUE(runner.calls.empty()) << "opening reads nothing";
}

TEST_F(Firewall, CommandLinesCharacterForCharacter) {
    EXPECT_EQ(frmFirewall::CommandFor(L"Remote Administration", true),
              L"netsh advfirewall firewall set rule group=\"Remote Administration\" New enable = "
              L"yes");
    EXPECT_EQ(frmFirewall::CommandFor(L"Remote Desktop", false),
              L"netsh advfirewall firewall set rule group=\"Remote Desktop\" New enable = no");
    EXPECT_EQ(frmFirewall::CommandFor(L"Enable ICMP (Ping) Replies", true),
              L"netsh firewall set icmpsetting 8");
    EXPECT_EQ(frmFirewall::CommandFor(L"Enable ICMP (Ping) Replies", false),
              L"netsh firewall set icmpsetting 8 disable");
    // Only the exact caption is the ping reply.
    EXPECT_EQ(frmFirewall::CommandFor(L"enable ICMP (Ping) Replies", true),
              L"netsh advfirewall firewall set rule group=\"enable ICMP (Ping) Replies\" New "
              L"enable = yes");
}

TEST_F(Firewall, NothingTickedRunsNothingAndShowsTheSummary) {
    form->cmdConfigure->UserClick();
    form->cmdDisable->UserClick();
    EXPECT_TRUE(runner.calls.empty());
    EXPECT_EQ(Messages(), (std::vector<std::wstring>{kEnabled, kDisabled}));
    for (const auto& m : shell.messages) {
        EXPECT_EQ(m.style, 0);
        EXPECT_EQ(m.title, L"Quillon");
    }
}

TEST_F(Firewall, BoxesZeroAndNineRunInIndexOrder) {
    form->chkFwRules[9]->UserClick();
    form->chkFwRules[0]->UserClick();
    form->cmdConfigure->UserClick();
    EXPECT_EQ(runner.CommandLines(),
              (std::vector<std::wstring>{L"netsh advfirewall firewall set rule group=\"Remote "
                                         L"Administration\" New enable = yes",
                                         L"netsh firewall set icmpsetting 8"}));
    for (const auto& c : runner.calls) {
        EXPECT_TRUE(c.stdOut);
        EXPECT_FALSE(c.stdErr);
        EXPECT_TRUE(c.oemToAnsi);
    }
    EXPECT_EQ(Messages(), (std::vector<std::wstring>{kEnabled}));
    // Ticks stay as they were.
    EXPECT_EQ(form->chkFwRules[0]->Value(), 1);
    EXPECT_EQ(form->chkFwRules[9]->Value(), 1);

    runner.calls.clear();
    form->cmdDisable->UserClick();
    EXPECT_EQ(runner.CommandLines(),
              (std::vector<std::wstring>{L"netsh advfirewall firewall set rule group=\"Remote "
                                         L"Administration\" New enable = no",
                                         L"netsh firewall set icmpsetting 8 disable"}));
    EXPECT_EQ(shell.LastMessage(), kDisabled);
}

TEST_F(Firewall, AFailingCommandInTheMiddleIsShownAndTheRestStillRun) {
    const std::wstring refusal = L"\r\nNo rules match the specified criteria.\r\n\r\n";
    runner.outputs[L"Event Log"] = refusal;
    for (int i : {0, 2, 4, 7, 9}) form->chkFwRules[i]->UserClick();
    form->cmdConfigure->UserClick();
    ASSERT_EQ(runner.calls.size(), 5u);
    EXPECT_NE(runner.calls[1].commandLine.find(L"Remote Event Log Management"), std::wstring::npos);
    EXPECT_NE(runner.calls[2].commandLine.find(L"\"Remote Desktop\""), std::wstring::npos);
    EXPECT_NE(runner.calls[3].commandLine.find(L"\"File and Printer Sharing\""),
              std::wstring::npos);
    EXPECT_EQ(Messages(),
              (std::vector<std::wstring>{
                  refusal, L"1 of 5 selected firewall rule groups could not be enabled."}));
}

TEST_F(Firewall, OkIsTestedCaseSensitivelyAnywhereInTheOutput) {
    runner.outputs[L"Remote Administration"] = L"ok.";
    runner.outputs[L"Windows Firewall"] = L"Updated 3 rule(s).\r\nOk.";
    runner.outputs[L"Service"] = L"";
    runner.outputs[L"Volume"] = L"Failed to create process, check the path of the command line.";
    for (int i : {0, 1, 3, 8}) form->chkFwRules[i]->UserClick();
    form->cmdDisable->UserClick();
    EXPECT_EQ(Messages(),
              (std::vector<std::wstring>{
                  L"ok.", L"", L"Failed to create process, check the path of the command line.",
                  L"3 of 4 selected firewall rule groups could not be disabled."}));
}

TEST_F(Firewall, ARunnerErrorCountsAsAFailureAndTheRunGoesOn) {
    runner.outputs[L"Performance"] = L"<throw>";
    form->chkFwRules[6]->UserClick();
    form->chkFwRules[8]->UserClick();
    form->cmdConfigure->UserClick();
    EXPECT_EQ(runner.calls.size(), 2u);
    EXPECT_EQ(Messages(), (std::vector<std::wstring>{
                              L"Invalid procedure call",
                              L"1 of 2 selected firewall rule groups could not be enabled."}));
}

TEST_F(Firewall, ReopeningShowsEveryBoxUnticked) {
    form->chkFwRules[3]->UserClick();
    shell.UserClose(*form);
    auto again =
        std::dynamic_pointer_cast<frmFirewall>(app::OpenModeless(services, L"frmFirewall"));
    ASSERT_TRUE(again);
    for (auto* box : again->chkFwRules) EXPECT_EQ(box->Value(), 0);
}

}  // namespace
