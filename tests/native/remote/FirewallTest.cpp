#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "remote/frmFirewall.h"
#include "tests/fakes/World.h"

namespace {

// Captions as shown, and the names the group commands carry: the same in every display language.
const struct {
    const wchar_t* caption;
    const wchar_t* group;
} kBoxes[] = {{L"Remote Administration", L"Remote Administration"},
              {L"Windows Firewall Remote Management", L"@FirewallAPI.dll,-30002"},
              {L"Remote Event Log Management", L"@FirewallAPI.dll,-29252"},
              {L"Remote Service Management", L"@FirewallAPI.dll,-29502"},
              {L"Remote Desktop", L"@FirewallAPI.dll,-28752"},
              {L"Remote Scheduled Tasks Management", L"@FirewallAPI.dll,-33252"},
              {L"Performance Logs and Alerts", L"@FirewallAPI.dll,-34752"},
              {L"File and Printer Sharing", L"@FirewallAPI.dll,-28502"},
              {L"Remote Volume Management", L"@FirewallAPI.dll,-34501"},
              {L"Enable ICMP (Ping) Replies", nullptr}};
const std::wstring kNoRules = L"\r\nNo rules match the specified criteria.\r\n\r\n";

std::wstring CommandFor(int box, bool enable) {
    if (box == 9)
        return enable ? L"netsh firewall set icmpsetting 8"
                      : L"netsh firewall set icmpsetting 8 disable";
    return L"netsh advfirewall firewall set rule group=\"" + std::wstring(kBoxes[box].group) +
           L"\" New enable = " + (enable ? L"yes" : L"no");
}

struct Case {
    const char* ticked;  // box indices, in the order the user ticks them
    bool enable;
    const char* failing;  // the boxes whose command prints `output`; the others print "Ok."
    std::wstring output;
    std::wstring failedOf;  // "n of m" groups judged failed; empty: none
};

const Case kCases[] = {
    {"", true, "", L"", L""},
    {"", false, "", L"", L""},
    {"90", true, "", L"", L""},
    {"0123456789", true, "", L"", L""},
    {"0123456789", false, "0123456789", kNoRules, L"10 of 10"},
    {"74920", true, "2", kNoRules, L"1 of 5"},
    {"13", false, "1", L"ok.", L"1 of 2"},
    {"13", true, "3", L"", L"1 of 2"},
    {"13", true, "1", fakes::kRunnerFailure, L"1 of 2"},
    {"13", true, "1", L"Updated 3 rule(s).\r\nOk.", L""},
};

TEST(Firewall, TickedBoxesToCommandsAndMessages) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - kCases);
        const std::string ticked = c.ticked, failing = c.failing;
        fakes::World w;
        w.system.OnRun(L"netsh", L"\r\nOk.\r\n\r\n");
        for (char box : failing) w.system.OnRun(CommandFor(box - '0', c.enable), c.output);
        auto form = w.Open<remote::frmFirewall>(L"frmFirewall");
        ASSERT_TRUE(form);
        for (auto* box : form->chkFwRules) EXPECT_EQ(box->Value(), 0);
        for (char box : ticked) form->chkFwRules[box - '0']->UserClick();
        (c.enable ? form->cmdConfigure : form->cmdDisable)->UserClick();

        const std::wstring done = c.enable ? L"enabled" : L"disabled";
        std::vector<std::wstring> commands, messages;
        for (int i = 0; i < remote::frmFirewall::kRuleCount; ++i) {
            if (ticked.find(char('0' + i)) == std::string::npos) continue;
            commands.push_back(CommandFor(i, c.enable));
            if (!c.failedOf.empty() && failing.find(char('0' + i)) != std::string::npos)
                messages.push_back(L"\"" + std::wstring(kBoxes[i].caption) + L"\" could not be " +
                                   done + L":\r\n\r\n" + c.output);
        }
        messages.push_back(c.failedOf.empty()
                               ? L"Successfully " + done + L" selected firewall rule groups."
                               : c.failedOf + L" selected firewall rule groups could not be " +
                                     done + L".");
        EXPECT_EQ(w.system.Entries(L"run"), commands);
        if (!commands.empty()) {
            EXPECT_EQ(w.system.lastFlags, (fakes::FakeSystem::Flags{true, false, true}));
        }
        std::vector<std::wstring> shown;
        for (const auto& m : w.shell.messages) {
            shown.push_back(m.text);
            EXPECT_EQ(m.style, ui::kMbOk);
        }
        EXPECT_EQ(shown, messages);
        EXPECT_TRUE(form->IsLoaded());
    }
}

}  // namespace
