#include "remote/frmFirewall.h"

#include "app/FormCatalog.h"
#include "app/Services.h"
#include "sysaccess/ICommandRunner.h"
#include "sysaccess/VbError.h"
#include "ui/Shell.h"

namespace remote {

namespace {

struct RuleBox {
    const wchar_t* caption;
    // The name Windows gives the group in every display language, where it
    // has one; captions are English and match only an English system.
    const wchar_t* group;
};

const RuleBox kRuleBoxes[frmFirewall::kRuleCount] = {
    // Only the oldest versions have this group, and it has no such name.
    {L"Remote Administration", nullptr},
    {L"Windows Firewall Remote Management", L"@FirewallAPI.dll,-30002"},
    {L"Remote Event Log Management", L"@FirewallAPI.dll,-29252"},
    {L"Remote Service Management", L"@FirewallAPI.dll,-29502"},
    // The group that Remote Desktop connections need; frmTS leaves the
    // firewall alone, so it is opened here.
    {L"Remote Desktop", L"@FirewallAPI.dll,-28752"},
    {L"Remote Scheduled Tasks Management", L"@FirewallAPI.dll,-33252"},
    {L"Performance Logs and Alerts", L"@FirewallAPI.dll,-34752"},
    {L"File and Printer Sharing", L"@FirewallAPI.dll,-28502"},
    {L"Remote Volume Management", L"@FirewallAPI.dll,-34501"},
    {L"Enable ICMP (Ping) Replies", nullptr},
};

const std::wstring kIcmpCaption = L"Enable ICMP (Ping) Replies";

std::wstring GroupNameFor(const std::wstring& caption) {
    for (const RuleBox& box : kRuleBoxes)
        if (box.group && caption == box.caption) return box.group;
    return caption;
}

static app::FormRegistration registration(L"frmFirewall", [](app::Services& services) {
    return ui::NewForm<frmFirewall>(services);
});

}  // namespace

frmFirewall::frmFirewall(app::Services& services)
    : ui::Form(*services.shell, L"frmFirewall"), services_(services) {
    SetCaption(L"Firewall Configuration");
    clientWidth = 4335;
    clientHeight = 5880;

    for (int i = 0; i < kRuleCount; ++i) {
        chkFwRules[i] = &Add<ui::CheckBox>(L"chkFwRules", i);
        chkFwRules[i]->SetCaption(kRuleBoxes[i].caption);
        chkFwRules[i]->bounds = {120, 120 + 480 * i, 3975, 375};
    }

    cmdConfigure = &Add<ui::Button>(L"cmdConfigure");
    cmdConfigure->SetCaption(L"Enable selected rule groups");
    cmdConfigure->bounds = {720, 4920, 2895, 375};
    cmdConfigure->Click = [this] { cmdConfigure_Click(); };

    cmdDisable = &Add<ui::Button>(L"cmdDisable");
    cmdDisable->SetCaption(L"Disable selected rule groups");
    cmdDisable->bounds = {720, 5400, 2895, 375};
    cmdDisable->Click = [this] { cmdDisable_Click(); };

    std::vector<ui::Control*> order(chkFwRules, chkFwRules + 9);
    order.push_back(cmdConfigure);
    order.push_back(chkFwRules[9]);
    order.push_back(cmdDisable);
    SetTabOrder(order);
}

void frmFirewall::cmdConfigure_Click() { ApplyTickedGroups(true); }

void frmFirewall::cmdDisable_Click() { ApplyTickedGroups(false); }

std::wstring frmFirewall::CommandFor(const std::wstring& caption, bool enable) {
    if (caption == kIcmpCaption)
        return enable ? L"netsh firewall set icmpsetting 8"
                      : L"netsh firewall set icmpsetting 8 disable";
    return L"netsh advfirewall firewall set rule group=" + std::wstring(L"\"") +
           GroupNameFor(caption) + L"\"" + (enable ? L" New enable = yes" : L" New enable = no");
}

void frmFirewall::ApplyTickedGroups(bool enable) {
    ui::Shell& shell = GetShell();
    int ticked = 0;
    int failed = 0;
    for (ui::CheckBox* box : chkFwRules) {
        if (box->Value() != 1) continue;
        ++ticked;
        const std::wstring caption = box->Caption();
        const std::wstring command = CommandFor(caption, enable);
        std::wstring output;
        try {
            output = services_.runner->RunAndCaptureOutput(command, true, false, true);
        } catch (const sysaccess::VbError& e) {
            output = e.Description();
        }
        if (output.find(L"Ok.") == std::wstring::npos) {
            ++failed;
            // The output alone does not tell which box it was: netsh names
            // no group when it finds none.
            shell.MsgBox(L"\"" + caption + L"\" could not be " +
                             (enable ? L"enabled" : L"disabled") + L":\r\n\r\n" + output,
                         ui::kMbOk);
        }
    }

    if (failed == 0) {
        shell.MsgBox(enable ? L"Successfully enabled selected firewall rule groups."
                            : L"Successfully disabled selected firewall rule groups.",
                     ui::kMbOk);
    } else {
        shell.MsgBox(std::to_wstring(failed) + L" of " + std::to_wstring(ticked) +
                         L" selected firewall rule groups could not be " +
                         (enable ? L"enabled." : L"disabled."),
                     ui::kMbOk);
    }
}

}  // namespace remote
