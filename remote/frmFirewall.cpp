#include "remote/frmFirewall.h"

#include "app/FormCatalog.h"
#include "app/Services.h"
#include "sysaccess/ICommandRunner.h"
#include "sysaccess/VbError.h"
#include "ui/Shell.h"

namespace remote {

namespace {

const wchar_t* const kRuleCaptions[frmFirewall::kRuleCount] = {
    L"Remote Administration",
    L"Windows Firewall Remote Management",
    L"Remote Event Log Management",
    L"Remote Service Management",
    // The group that Remote Desktop connections need; frmTS leaves the
    // firewall alone, so it is opened here.
    L"Remote Desktop",
    L"Remote Scheduled Tasks Management",
    L"Performance Logs and Alerts",
    L"File and Printer Sharing",
    L"Remote Volume Management",
    L"Enable ICMP (Ping) Replies",
};

const std::wstring kIcmpCaption = L"Enable ICMP (Ping) Replies";

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
        chkFwRules[i]->SetCaption(kRuleCaptions[i]);
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
    return L"netsh advfirewall firewall set rule group=" + std::wstring(L"\"") + caption + L"\"" +
           (enable ? L" New enable = yes" : L" New enable = no");
}

void frmFirewall::ApplyTickedGroups(bool enable) {
    ui::Shell& shell = GetShell();
    int ticked = 0;
    int failed = 0;
    for (int i = 0; i < kRuleCount; ++i) {
        if (chkFwRules[i]->Value() != 1) continue;
        ++ticked;
        const std::wstring command = CommandFor(chkFwRules[i]->Caption(), enable);
        std::wstring output;
        try {
            output = services_.runner->RunAndCaptureOutput(command, true, false, true);
        } catch (const sysaccess::VbError& e) {
            output = e.Description();
        }
        if (output.find(L"Ok.") == std::wstring::npos) {
            ++failed;
            shell.MsgBox(output, ui::kMbOk);
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
