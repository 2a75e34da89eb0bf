#pragma once
// Enables or disables the ticked Windows Firewall rule groups (and the reply
// to ping) one netsh command at a time. The dialog never reads the
// firewall's state: every box starts unticked.
#include <string>

#include "ui/Form.h"

namespace app {
struct Services;
}

namespace remote {

class frmFirewall : public ui::Form {
  public:
    static constexpr int kRuleCount = 10;

    explicit frmFirewall(app::Services& services);

    ui::CheckBox* chkFwRules[kRuleCount] = {};
    ui::Button* cmdConfigure = nullptr;
    ui::Button* cmdDisable = nullptr;

    void cmdConfigure_Click();
    void cmdDisable_Click();

  private:
    // The command line that enables or disables what a box with this caption
    // stands for.
    static std::wstring CommandFor(const std::wstring& caption, bool enable);

    // Runs the command of every ticked box in index order, shows the caption
    // and output of each one that does not report "Ok.", then one summary.
    void ApplyTickedGroups(bool enable);

    app::Services& services_;
};

}  // namespace remote
