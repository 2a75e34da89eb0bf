#include <gtest/gtest.h>

#include <string>

#include "remote/frmWinRM.h"
#include "tests/fakes/World.h"

namespace {

const std::wstring kUpdated =
    L"WinRM service started.\r\nWinRM has been updated for remote management.";
const std::wstring kAlreadyOld = L"WinRM already is set up for remote management on this machine.";
const std::wstring kAlreadyNew = L"WinRM is already set up for remote management on this computer.";
const std::wstring kNoListener =
    L"WSManFault\r\n Message = The service cannot find the resource identified by the URI.";
const std::wstring kEnable = L"winrm.cmd quickconfig -quiet";
const std::wstring kDisable = L"winrm.cmd delete winrm/config/Listener?Address=*+Transport=HTTP";
const std::wstring kFailedToEnable = L"Failed to enable WinRM";
const std::wstring kFailedToDisable = L"Failed to disable WinRM:\r\n\r\n";

struct Case {
    bool enable;  // which button
    std::wstring output;
    std::wstring message;
};

const Case kCases[] = {
    {true, kUpdated, L"Successfully enabled WinRM"},
    // Already configured: the tool's own words, in either wording.
    {true, kAlreadyOld, kAlreadyOld},
    {true, kAlreadyNew, kAlreadyNew},
    {true, kAlreadyOld + kUpdated, L"Successfully enabled WinRM"},
    {true, L"", kFailedToEnable},
    {true, fakes::kRunnerFailure, kFailedToEnable},
    {true, L"WinRM is not set up to receive requests on this machine.", kFailedToEnable},
    // Phrases match in their exact letter case only, and whole.
    {true, L"winrm has been updated for remote management.", kFailedToEnable},
    {true, L"WinRM already is set up for Remote management.", kFailedToEnable},
    {true, L"WINRM IS ALREADY SET UP FOR REMOTE MANAGEMENT", kFailedToEnable},
    {true, L"WinRM is already set up for remote", kFailedToEnable},
    // Deleting the listener prints nothing.
    {false, L"", L"Successfully disabled WinRM"},
    {false, L"\r\n \t\r\n", L"Successfully disabled WinRM"},
    {false, kNoListener, L"WinRM already disabled"},
    {false, L"the service cannot find the resource",
     kFailedToDisable + L"the service cannot find the resource"},
    {false, fakes::kRunnerFailure, kFailedToDisable + fakes::kRunnerFailure},
};

TEST(WinRM, ToolOutputToMessage) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - kCases);
        fakes::World w;
        w.system.OnRun(L"winrm.cmd", c.output);
        auto form = w.Open<remote::frmWinRM>(L"frmWinRM");
        ASSERT_TRUE(form);
        EXPECT_TRUE(w.system.journal.empty()) << "opening runs nothing";

        (c.enable ? form->cmdEnable : form->cmdDisable)->UserClick();
        EXPECT_EQ(w.system.Entries(L"run"), std::vector{c.enable ? kEnable : kDisable});
        // The tool reports a missing listener on standard error.
        EXPECT_EQ(w.system.lastFlags, (fakes::FakeSystem::Flags{true, !c.enable, true}));
        ASSERT_EQ(w.shell.messages.size(), 1u);
        EXPECT_EQ(w.shell.messages[0].text, c.message);
        EXPECT_EQ(w.shell.messages[0].style, ui::kMbOk);
        EXPECT_TRUE(form->IsLoaded()) << "the window stays open";
        form->cmdExit->UserClick();
        EXPECT_FALSE(form->IsLoaded());
    }
}

}  // namespace
