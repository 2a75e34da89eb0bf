#pragma once
// The main menu: one picture button per configuration task, the power
// buttons and the Help menu. It keeps no state and no reference to the
// dialogs it opens.
#include <string>

#include "app/Services.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace app {

class frmUI : public ui::Form {
  public:
    explicit frmUI(Services& services);

    // Task buttons.
    ui::Button* cmdAccountMgmt;
    ui::Button* cmdNetworking;
    ui::Button* cmdDisplayResolution;
    ui::Button* cmdFirewall;
    ui::Button* Command1;
    ui::Button* cmdTimeZone;
    ui::Button* cmdWinRM;
    ui::Button* cmdRoles;
    ui::Button* cmdRDP;
    ui::Button* cmdDCPROMO;
    // Power buttons.
    ui::Button* cmdShutdown;
    ui::Button* cmdRestart;
    ui::Button* cmdExit;

    void cmdAccountMgmt_Click();
    void cmdNetworking_Click();
    void cmdDisplayResolution_Click();
    void cmdFirewall_Click();
    void Command1_Click();
    void cmdTimeZone_Click();
    void cmdWinRM_Click();
    void cmdRoles_Click();
    void cmdRDP_Click();
    void cmdDCPROMO_Click();
    void cmdShutdown_Click();
    void cmdRestart_Click();
    void cmdExit_Click();
    void Help_About_Click();

  private:
    // Opens a fresh modeless instance of the named window.
    void OpenDialog(const std::wstring& windowName);

    Services& services_;
};

// The time and date applet, started with a normal window that gets the focus.
inline constexpr wchar_t kTimeDateCommandLine[] = L"control.exe timedate.cpl";
inline constexpr int kShowNormal = 1;

}  // namespace app
