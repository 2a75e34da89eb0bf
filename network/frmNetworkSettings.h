#pragma once
// The Network Settings dialog: IPv4 address, subnet mask, default gateway and
// DNS servers of one network connection at a time, applied through the
// connection's Win32_NetworkAdapterConfiguration object.
#include <string>

#include "sysaccess/IAutomation.h"
#include "ui/Form.h"

namespace app {
struct Services;
}

namespace network {

// The instrumentation namespace of this computer, with impersonation.
std::wstring NetworkNamespaceMoniker(const std::wstring& computerName);

class frmNetworkSettings : public ui::Form {
  public:
    explicit frmNetworkSettings(app::Services& services);

    void Form_Load() override;

    ui::ComboBox* cmbInterfaces = nullptr;
    ui::Frame* frameStaticIP = nullptr;
    ui::OptionButton* optIPAddress[2] = {};
    ui::Label* Label1 = nullptr;
    ui::TextBox* txtIP = nullptr;
    ui::Label* Label2 = nullptr;
    ui::TextBox* txtSubnetMask = nullptr;
    ui::Label* Label3 = nullptr;
    ui::TextBox* txtGateway = nullptr;
    ui::Frame* frameStaticDNS = nullptr;
    ui::OptionButton* optDNS[2] = {};
    ui::Label* Label4 = nullptr;
    ui::TextBox* txtDNS1 = nullptr;
    ui::Label* Label5 = nullptr;
    ui::TextBox* txtDNS2 = nullptr;
    ui::Button* cmdSave = nullptr;
    ui::Button* cmdCancel = nullptr;

    void cmbInterfaces_Click();
    void optIPAddress_Click(int index);
    void optDNS_Click(int index);
    void cmdSave_Click();
    void cmdCancel_Click();

  private:
    void FillInterfaces();
    // The configuration object of the connection chosen in cmbInterfaces, or
    // nullptr when none is chosen, none matches or the query fails.
    sysaccess::AutoObjectPtr GetSelectedAdapter();
    void ShowAdapter(const sysaccess::AutoObjectPtr& adapter);
    void ShowStaticAddress(const sysaccess::AutoObjectPtr& adapter);
    void ShowDnsServers(const sysaccess::AutoObjectPtr& adapter);
    bool ValidateInputs();
    void SaveSettings();
    void ClearNameServer(const sysaccess::AutoObjectPtr& adapter);

    // Runs "ExecQuery" in this computer's namespace; the returned objects in order.
    std::vector<sysaccess::AutoObjectPtr> RunQuery(const std::wstring& query);
    // Calls a configuration method; true when its status is 0 or 1 (done, or
    // done at the next restart). Otherwise tells the user what failed.
    bool CallAdapterMethod(sysaccess::IAutoObject& adapter, const std::wstring& method,
                           const std::vector<sysaccess::Variant>& args,
                           const std::wstring& failureLead, const std::wstring& statusMessage);
    void ReportFailure(const std::wstring& lead, const std::wstring& description);

    app::Services& services_;
};

}  // namespace network
