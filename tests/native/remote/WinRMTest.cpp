#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "app/FormCatalog.h"
#include "app/Services.h"
#include "remote/frmWinRM.h"
#include "res/resource.h"
#include "sysaccess/CmdOutput.h"
#include "sysaccess/ICommandRunner.h"
#include "tests/support/TestShell.h"

namespace {

using remote::frmWinRM;

// Answers each run with the next scripted output and records how it was asked.
class ScriptedRunner : public sysaccess::ICommandRunner {
  public:
    struct Call {
        std::wstring commandLine;
        bool captureStdOut;
        bool captureStdErr;
        bool oemToAnsi;
    };
    std::deque<std::wstring> outputs;
    std::vector<Call> calls;

    std::wstring RunAndCaptureOutput(const std::wstring& commandLine, bool captureStdOut,
                                     bool captureStdErr, bool oemToAnsi) override {
        calls.push_back({commandLine, captureStdOut, captureStdErr, oemToAnsi});
        std::wstring next = outputs.empty() ? std::wstring() : outputs.front();
        if (!outputs.empty()) outputs.pop_front();
        return next;
    }
};

struct WinRMDialog : ::testing::Test {
    testing_support::TestShell shell;
    ScriptedRunner runner;
    app::Services services;
    std::shared_ptr<frmWinRM> form;

    void SetUp() override {
        services.shell = &shell;
        services.runner = &runner;
        form = ui::NewForm<frmWinRM>(services);
        form->Show();
    }

    std::wstring Enable(const std::wstring& output) {
        runner.outputs.push_back(output);
        form->cmdEnable->UserClick();
        return shell.LastMessage();
    }
    std::wstring Disable(const std::wstring& output) {
        runner.outputs.push_back(output);
        form->cmdDisable->UserClick();
        return shell.LastMessage();
    }
};

const std::wstring kUpdated =
    L"WinRM has been updated to receive requests.\r\nWinRM service started.\r\n\r\n"
    L"WinRM has been updated for remote management.\r\nCreated a WinRM listener on HTTP://* to "
    L"accept WS-Man requests to any IP on this machine.\r\n";
const std::wstring kAlreadyOld =
    L"WinRM already is set up to receive requests on this machine.\r\n"
    L"WinRM already is set up for remote management on this machine.\r\n";
const std::wstring kAlreadyNew =
    L"WinRM service is already running on this machine.\r\n"
    L"WinRM is already set up for remote management on this computer.\r\n";
const std::wstring kNoListener =
    L"WSManFault\r\n    Message = The service cannot find the resource identified by the resource "
    L"URI and selectors. \r\n\r\nError number:  -2144108544 0x80338000\r\n";

TEST_F(WinRMDialog, LayoutCaptionsAndTabOrder) {
    EXPECT_EQ(form->Caption(), L"WinRM");
    EXPECT_EQ(form->clientWidth, 4215);
    EXPECT_EQ(form->clientHeight, 1680);
    EXPECT_EQ(form->fontName, L"Verdana");
    EXPECT_DOUBLE_EQ(form->fontSize, 8.25);
    const struct {
        ui::Button* button;
        const wchar_t* name;
        const wchar_t* caption;
        int left, top;
    } expected[] = {{form->cmdEnable, L"cmdEnable", L"&Enable WinRM", 240, 360},
                    {form->cmdDisable, L"cmdDisable", L"&Disable WinRM", 2280, 360},
                    {form->cmdExit, L"cmdExit", L"E&xit", 1260, 1080}};
    std::vector<ui::Control*> order;
    for (const auto& e : expected) {
        EXPECT_EQ(e.button->Name(), e.name);
        EXPECT_EQ(e.button->Caption(), e.caption);
        EXPECT_EQ(e.button->bounds.left, e.left);
        EXPECT_EQ(e.button->bounds.top, e.top);
        EXPECT_EQ(e.button->bounds.width, 1695);
        EXPECT_EQ(e.button->bounds.height, 375);
        order.push_back(e.button);
    }
    EXPECT_EQ(form->TabOrder(), order);
    EXPECT_EQ(form->Controls().size(), 3u);
    // Nothing is read or run when the window opens.
    EXPECT_TRUE(runner.calls.empty());
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(WinRMDialog, EnableRunsQuickConfigCapturingStandardOutputOnly) {
    Enable(kUpdated);
    ASSERT_EQ(runner.calls.size(), 1u);
    EXPECT_EQ(runner.calls[0].commandLine, L"winrm.cmd quickconfig -quiet");
    EXPECT_TRUE(runner.calls[0].captureStdOut);
    EXPECT_FALSE(runner.calls[0].captureStdErr);
    EXPECT_TRUE(runner.calls[0].oemToAnsi);
}

TEST_F(WinRMDialog, EnableOutcomes) {
    EXPECT_EQ(Enable(kUpdated), L"Successfully enabled WinRM");
    // Already configured: the tool's own words, in either wording.
    EXPECT_EQ(Enable(kAlreadyOld), kAlreadyOld);
    EXPECT_EQ(Enable(kAlreadyNew), kAlreadyNew);
    EXPECT_EQ(Enable(L""), L"Failed to enable WinRM");
    EXPECT_EQ(Enable(sysaccess::kCreateProcessFailedText), L"Failed to enable WinRM");
    EXPECT_EQ(Enable(L"WinRM is not set up to receive requests on this machine."),
              L"Failed to enable WinRM");
    // Both phrases: the first test decides.
    EXPECT_EQ(Enable(kAlreadyOld + kUpdated), L"Successfully enabled WinRM");
    ASSERT_EQ(shell.messages.size(), 7u);
    for (const auto& m : shell.messages) {
        EXPECT_EQ(m.style, ui::kMbOk);
        EXPECT_EQ(m.title, L"Quillon");
    }
    EXPECT_TRUE(form->IsLoaded());  // the window stays open
}

TEST_F(WinRMDialog, EnablePhrasesAreCaseSensitive) {
    EXPECT_EQ(Enable(L"winrm has been updated for remote management."), L"Failed to enable WinRM");
    EXPECT_EQ(Enable(L"WinRM Has Been Updated For Remote Management."), L"Failed to enable WinRM");
    EXPECT_EQ(Enable(L"WinRM already is set up for Remote management."), L"Failed to enable WinRM");
    EXPECT_EQ(Enable(L"WINRM IS ALREADY SET UP FOR REMOTE MANAGEMENT"), L"Failed to enable WinRM");
    // Only a part of the newer wording is not enough.
    EXPECT_EQ(Enable(L"WinRM is already set up for remote"), L"Failed to enable WinRM");
}

TEST_F(WinRMDialog, DisableDeletesTheListenerCapturingBothStreams) {
    Disable(L"");
    ASSERT_EQ(runner.calls.size(), 1u);
    EXPECT_EQ(runner.calls[0].commandLine,
              L"winrm.cmd delete winrm/config/Listener?Address=*+Transport=HTTP");
    EXPECT_TRUE(runner.calls[0].captureStdOut);
    EXPECT_TRUE(runner.calls[0].captureStdErr);
    EXPECT_TRUE(runner.calls[0].oemToAnsi);
}

TEST_F(WinRMDialog, DisableOutcomes) {
    EXPECT_EQ(Disable(L""), L"Successfully disabled WinRM");
    EXPECT_EQ(Disable(L"\r\n \t\r\n"), L"Successfully disabled WinRM");
    EXPECT_EQ(Disable(kNoListener), L"WinRM already disabled");
    EXPECT_EQ(Disable(L"the service cannot find the resource"),
              L"Failed to disable WinRM:\r\n\r\nthe service cannot find the resource");
    EXPECT_EQ(
        Disable(sysaccess::kCreateProcessFailedText),
        std::wstring(L"Failed to disable WinRM:\r\n\r\n") + sysaccess::kCreateProcessFailedText);
    const std::wstring accessDenied =
        L"WSManFault\r\n    Message = Access is denied. \r\n\r\nError number:  -2147024891 "
        L"0x80070005\r\n";
    EXPECT_EQ(Disable(accessDenied), L"Failed to disable WinRM:\r\n\r\n" + accessDenied);
    for (const auto& m : shell.messages) EXPECT_EQ(m.style, ui::kMbOk);
    EXPECT_EQ(shell.messages.size(), 6u);
}

TEST_F(WinRMDialog, DisablingTwiceFindsNoListenerTheSecondTime) {
    EXPECT_EQ(Disable(L""), L"Successfully disabled WinRM");
    EXPECT_EQ(Disable(kNoListener), L"WinRM already disabled");
    EXPECT_EQ(runner.calls.size(), 2u);
    EXPECT_EQ(runner.calls[0].commandLine, runner.calls[1].commandLine);
}

TEST_F(WinRMDialog, ExitClosesOnlyThisWindow) {
    auto second = ui::NewForm<frmWinRM>(services);
    second->Show();
    form->cmdExit->UserClick();
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_TRUE(second->IsLoaded());
    EXPECT_TRUE(runner.calls.empty());
}

TEST(WinRMCatalog, RegisteredUnderItsName) {
    EXPECT_TRUE(app::FormCatalog::Default().Has(L"frmWinRM"));
    testing_support::TestShell shell;
    app::Services services;
    services.shell = &shell;
    auto form = app::FormCatalog::Default().Create(L"frmWinRM", services);
    EXPECT_NE(std::dynamic_pointer_cast<frmWinRM>(form), nullptr);
}

}  // namespace
