#pragma once
// Switches Remote Desktop connections on or off and chooses whether clients
// without Network Level Authentication may connect. Both settings are
// REG_DWORD values under HKEY_LOCAL_MACHINE, each inverted against its box:
// a ticked box is stored as 0. The firewall is left alone.
#include <cstdint>
#include <string>

#include "ui/Form.h"

namespace app {
struct Services;
}
namespace sysaccess {
class cRegistry;
}

namespace remote {

class frmTS : public ui::Form {
  public:
    explicit frmTS(app::Services& services);

    void Form_Load() override;

    ui::CheckBox* chkTSEnabled = nullptr;
    ui::CheckBox* chkLegacyTSEnabled = nullptr;
    ui::Button* cmdSave = nullptr;

    // Writes both values and closes the window. When a write is refused, says
    // which value could not be written and what was saved before it, and
    // stays open.
    void cmdSave_Click();

    static constexpr const wchar_t* kServerKey =
        L"System\\CurrentControlSet\\Control\\Terminal Server";
    static constexpr const wchar_t* kRdpTcpKey =
        L"System\\CurrentControlSet\\Control\\Terminal Server\\Winstations\\RDP-Tcp";
    static constexpr const wchar_t* kDenyConnectionsValue = L"fDenyTSConnections";
    static constexpr const wchar_t* kUserAuthenticationValue = L"UserAuthentication";

  private:
    // False when the registry refuses the value.
    bool WriteSetting(sysaccess::cRegistry& reg, const wchar_t* key, const wchar_t* name,
                      std::int32_t value);

    app::Services& services_;
};

}  // namespace remote
