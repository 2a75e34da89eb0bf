// The Firewall dialog of the real program with a stand-in netsh.exe in the
// program's folder, which logs its command lines to netsh-log.txt and fails
// for the groups listed in netsh-fail.txt (by default "Event Log").
#include <windows.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/support/E2eDriver.h"

namespace {

using e2e::QuillonProcess;

struct FirewallFromMainMenu : ::testing::Test {
    QuillonProcess app;
    HWND dialog = nullptr;

    void SetUp() override {
        dialog = app.OpenFromMainMenu(L"&Firewall", L"Firewall Configuration");
        ASSERT_NE(dialog, nullptr) << "no Firewall Configuration window";
    }

    void Tick(const std::wstring& caption) {
        HWND box = e2e::FindChild(dialog, caption);
        ASSERT_NE(box, nullptr) << e2e::Narrow(caption);
        e2e::SetChecked(box, true);
        ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::IsChecked(box); })) << e2e::Narrow(caption);
    }

    // The next message box's text, after answering it with OK.
    std::wstring NextMessage() {
        auto box = app.WaitForMessageBox();
        if (!box) {
            ADD_FAILURE() << "no message box";
            return {};
        }
        EXPECT_EQ(box->title, L"Quillon");
        EXPECT_EQ(box->buttons, std::vector<std::wstring>{L"OK"});
        e2e::PressMessageBoxButton(*box, L"OK");
        EXPECT_TRUE(e2e::WaitUntil([&] {
            auto open = app.CurrentMessageBox();
            return !open || open->hwnd != box->hwnd;
        }));
        return box->text;
    }

    std::vector<std::string> LoggedCommands() {
        std::ifstream log(e2e::Narrow(app.Folder() + L"\\netsh-log.txt"), std::ios::binary);
        std::vector<std::string> lines;
        std::string line;
        while (std::getline(log, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty()) lines.push_back(line);
        }
        return lines;
    }
};

TEST_F(FirewallFromMainMenu, AFailingGroupIsShownTheRestRunAndTheSummaryTellsTheTruth) {
    for (const wchar_t* caption : {L"Remote Administration", L"Remote Event Log Management",
                                   L"Remote Desktop", L"Enable ICMP (Ping) Replies"})
        Tick(caption);
    e2e::Click(e2e::FindChild(dialog, L"Enable selected rule groups"));

    const std::wstring refusal = NextMessage();
    EXPECT_NE(refusal.find(L"No rules match the specified criteria."), std::wstring::npos)
        << e2e::Narrow(refusal);
    EXPECT_EQ(NextMessage(), L"1 of 4 selected firewall rule groups could not be enabled.");

    EXPECT_EQ(LoggedCommands(),
              (std::vector<std::string>{
                  "netsh advfirewall firewall set rule group=\"Remote Administration\" New "
                  "enable = yes",
                  "netsh advfirewall firewall set rule group=\"Remote Event Log Management\" New "
                  "enable = yes",
                  "netsh advfirewall firewall set rule group=\"Remote Desktop\" New enable = yes",
                  "netsh firewall set icmpsetting 8"}));
    EXPECT_TRUE(e2e::IsVisible(dialog)) << "the window stays open";
    EXPECT_TRUE(e2e::IsChecked(e2e::FindChild(dialog, L"Remote Desktop"))) << "ticks stay";
}

TEST_F(FirewallFromMainMenu, DisablingWithEverythingAcceptedClaimsSuccess) {
    std::ofstream(e2e::Narrow(app.Folder() + L"\\netsh-fail.txt"), std::ios::binary)
        << "No such group\r\n";
    Tick(L"Remote Event Log Management");
    Tick(L"Enable ICMP (Ping) Replies");
    e2e::Click(e2e::FindChild(dialog, L"Disable selected rule groups"));
    EXPECT_EQ(NextMessage(), L"Successfully disabled selected firewall rule groups.");
    EXPECT_EQ(LoggedCommands(),
              (std::vector<std::string>{
                  "netsh advfirewall firewall set rule group=\"Remote Event Log Management\" New "
                  "enable = no",
                  "netsh firewall set icmpsetting 8 disable"}));
}

TEST_F(FirewallFromMainMenu, NothingTickedRunsNothing) {
    e2e::Click(e2e::FindChild(dialog, L"Enable selected rule groups"));
    EXPECT_EQ(NextMessage(), L"Successfully enabled selected firewall rule groups.");
    EXPECT_TRUE(LoggedCommands().empty());
}

}  // namespace
