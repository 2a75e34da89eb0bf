#pragma once
// Switches Windows Remote Management on (quick configuration) or off
// (deletes the HTTP listener) with winrm.cmd, judging its printed output.
#include <string>

#include "app/Services.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace remote {

class frmWinRM : public ui::Form {
  public:
    explicit frmWinRM(app::Services& services);

    ui::Button* cmdEnable;
    ui::Button* cmdDisable;
    ui::Button* cmdExit;

    void cmdEnable_Click();
    void cmdDisable_Click();
    void cmdExit_Click();

  private:
    app::Services& services_;
};

inline constexpr wchar_t kWinRMEnableCommandLine[] = L"winrm.cmd quickconfig -quiet";
inline constexpr wchar_t kWinRMDisableCommandLine[] =
    L"winrm.cmd delete winrm/config/Listener?Address=*+Transport=HTTP";

// What the dialog tells the user about the tool's output.
std::wstring WinRMEnableMessage(const std::wstring& output);
std::wstring WinRMDisableMessage(const std::wstring& output);

}  // namespace remote
