#include "app/frmUI.h"

#include "app/FormCatalog.h"
#include "app/mdlComputerReboot.h"
#include "res/resource.h"
#include "sysaccess/ICommandRunner.h"
#include "ui/Shell.h"

namespace app {

namespace {

constexpr int kTaskWidth = 1575;
constexpr int kTaskHeight = 735;
constexpr int kColumnLeft[] = {120, 2160, 4200};
constexpr int kRowTop[] = {120, 960, 1800, 2640};
constexpr int kPowerWidth = 1095;
constexpr int kPowerHeight = 735;
constexpr int kPowerTop = 3720;

const FormRegistration registration(L"frmUI", [](Services& s) { return ui::NewForm<frmUI>(s); });

}  // namespace

frmUI::frmUI(Services& services) : ui::Form(*services.shell, L"frmUI"), services_(services) {
    SetCaption(L"Quillon by Varnholt");
    clientWidth = 5970;
    clientHeight = 4695;
    borderStyle = ui::BorderStyle::FixedSingle;
    iconId = IDI_APP;

    // row and column count from 1, as the grid is described.
    auto task = [this](const wchar_t* name, const wchar_t* caption, const wchar_t* toolTip, int row,
                       int column, int icon, void (frmUI::*handler)()) {
        auto& button = Add<ui::Button>(name);
        button.SetCaption(caption);
        button.toolTip = toolTip;
        button.bounds = {kColumnLeft[column - 1], kRowTop[row - 1], kTaskWidth, kTaskHeight};
        button.pictureId = icon;
        button.Click = [this, handler] { (this->*handler)(); };
        return &button;
    };
    auto power = [this](const wchar_t* name, const wchar_t* caption, int left, int icon,
                        void (frmUI::*handler)()) {
        auto& button = Add<ui::Button>(name);
        button.SetCaption(caption);
        button.bounds = {left, kPowerTop, kPowerWidth, kPowerHeight};
        button.pictureId = icon;
        button.bold = true;
        button.Click = [this, handler] { (this->*handler)(); };
        return &button;
    };

    // Created column by column, which is also the tab order.
    cmdDisplayResolution =
        task(L"cmdDisplayResolution", L"&Display", L"Display resolution settings", 2, 1,
             IDI_DISPLAY, &frmUI::cmdDisplayResolution_Click);
    cmdTimeZone = task(L"cmdTimeZone", L"&Time Zone", L"Time zone settings", 3, 1, IDI_TIMEZONE,
                       &frmUI::cmdTimeZone_Click);
    cmdRDP = task(L"cmdRDP", L"&RDP", L"Remote Desktop configuration", 4, 1, IDI_RDP,
                  &frmUI::cmdRDP_Click);
    cmdAccountMgmt = task(L"cmdAccountMgmt", L"&Users&&Groups", L"User and group management", 1, 2,
                          IDI_USERS, &frmUI::cmdAccountMgmt_Click);
    cmdFirewall = task(L"cmdFirewall", L"&Firewall", L"Firewall settings", 2, 2, IDI_FIREWALL,
                       &frmUI::cmdFirewall_Click);
    cmdWinRM =
        task(L"cmdWinRM", L"&WinRM", L"Enables WinRM", 3, 2, IDI_WINRM, &frmUI::cmdWinRM_Click);
    cmdNetworking = task(L"cmdNetworking", L"&Networking", L"IP settings", 1, 3, IDI_NETWORK,
                         &frmUI::cmdNetworking_Click);
    Command1 = task(L"Command1", L"&Computer Name", L"Computer name and domain membership", 2, 3,
                    IDI_COMPUTER, &frmUI::Command1_Click);
    cmdRoles = task(L"cmdRoles", L"&Features", L"Server features management", 3, 3, IDI_FEATURES,
                    &frmUI::cmdRoles_Click);
    cmdDCPROMO = task(L"cmdDCPROMO", L"&DCPROMO", L"Not implemented", 4, 3, IDI_DCPROMO,
                      &frmUI::cmdDCPROMO_Click);
    cmdDCPROMO->SetEnabled(false);

    cmdShutdown = power(L"cmdShutdown", L"Shutdown", 600, IDI_SHUTDOWN, &frmUI::cmdShutdown_Click);
    cmdRestart = power(L"cmdRestart", L"Reboot", 2400, IDI_REBOOT, &frmUI::cmdRestart_Click);
    cmdExit = power(L"cmdExit", L"Exit", 4200, IDI_EXIT, &frmUI::cmdExit_Click);

    SetTabOrder({cmdDisplayResolution, cmdTimeZone, cmdRDP, cmdAccountMgmt, cmdFirewall, cmdWinRM,
                 cmdNetworking, Command1, cmdRoles, cmdDCPROMO, cmdShutdown, cmdRestart, cmdExit});

    ui::MenuItem about;
    about.name = L"Help_About";
    about.caption = L"About";
    about.Click = [this] { Help_About_Click(); };
    ui::MenuItem help;
    help.name = L"Help";
    help.caption = L"Help";
    help.items.push_back(std::move(about));
    menus.push_back(std::move(help));
}

void frmUI::OpenDialog(const std::wstring& windowName) {
    if (services_.catalog && services_.catalog->Has(windowName)) {
        OpenModeless(services_, windowName);
        return;
    }
    // Windows are registered by the files that define them; a build without
    // one says so instead of doing nothing.
    GetShell().MsgBox(L"This version of Quillon does not include the window " + windowName + L".",
                      ui::kMbOk);
}

void frmUI::cmdAccountMgmt_Click() { OpenDialog(L"frmAccountMgmt"); }
void frmUI::cmdNetworking_Click() { OpenDialog(L"frmNetworkSettings"); }
void frmUI::cmdDisplayResolution_Click() { OpenDialog(L"frmDisplayResolution"); }
void frmUI::cmdFirewall_Click() { OpenDialog(L"frmFirewall"); }
void frmUI::Command1_Click() { OpenDialog(L"frmComputerName"); }
void frmUI::cmdWinRM_Click() { OpenDialog(L"frmWinRM"); }
void frmUI::cmdRoles_Click() { OpenDialog(L"frmRoles"); }
void frmUI::cmdRDP_Click() { OpenDialog(L"frmTS"); }
void frmUI::cmdDCPROMO_Click() { OpenDialog(L"frmDcpromo"); }
void frmUI::Help_About_Click() { OpenDialog(L"frmAbout"); }

void frmUI::cmdTimeZone_Click() {
    if (services_.launcher && services_.launcher->StartDetached(kTimeDateCommandLine, kShowNormal))
        return;
    GetShell().MsgBox(L"Could not start the time and date settings (\"" +
                          std::wstring(kTimeDateCommandLine) + L"\").",
                      ui::kMbIconCritical);
}

void frmUI::cmdShutdown_Click() { ShutdownComputer(services_); }

void frmUI::cmdRestart_Click() { RebootComputer(services_); }

// Open dialogs stay open; the program ends when the last window closes.
void frmUI::cmdExit_Click() { Unload(); }

}  // namespace app
