#include "network/frmNetworkSettings.h"

#include <exception>

#include "app/FormCatalog.h"
#include "app/Services.h"
#include "identity/mdlComputerName.h"
#include "network/mdlWMINetwork.h"
#include "sysaccess/VbError.h"
#include "sysaccess/cRegistry.h"
#include "ui/Shell.h"

namespace network {

namespace {

app::FormRegistration registration(L"frmNetworkSettings", [](app::Services& services) {
    return ui::NewForm<frmNetworkSettings>(services);
});

using sysaccess::Variant;

constexpr const wchar_t* kDhcpFailed = L"Failed to enable DHCP. Is the interface online ?";
constexpr const wchar_t* kDhcpLead = L"Failed to enable DHCP.";
constexpr const wchar_t* kAddressLead = L"Failed to set the IP address.";
constexpr const wchar_t* kGatewayLead = L"Failed to set the default gateway.";
constexpr const wchar_t* kDnsLead = L"Failed to set the DNS servers.";
constexpr const wchar_t* kClearDnsLead = L"Failed to clear the DNS servers.";
constexpr const wchar_t* kReadLead = L"Failed to read the network settings.";

std::wstring StatusMessage(const std::wstring& lead) { return lead + L" The error code was: "; }

std::wstring Describe(const std::exception& e) {
    if (auto* vb = dynamic_cast<const sysaccess::VbError*>(&e)) return vb->Description();
    const std::string what = e.what();
    return std::wstring(what.begin(), what.end());
}

// One entry of an instrumentation array property (a text, possibly null).
struct Entry {
    bool isNull = true;
    std::wstring text;
};

// The entries of an array property; a null or empty property has none, and a
// lone text counts as a one-element array.
std::vector<Entry> ReadEntries(sysaccess::IAutoObject& adapter, const wchar_t* property) {
    const Variant value = adapter.Get(property);
    std::vector<Entry> entries;
    if (value.IsArray()) {
        for (const Variant& element : value.ArrayValue()) {
            Entry entry;
            entry.isNull = element.IsNull() || element.IsEmpty();
            if (!entry.isNull) entry.text = element.ToText();
            entries.push_back(entry);
        }
    } else if (!value.IsNull() && !value.IsEmpty()) {
        entries.push_back(Entry{false, value.ToText()});
    }
    return entries;
}

// The dialog handles IPv4 only; IPv6 addresses (always written with a colon)
// are left out wherever the adapter mixes both kinds.
bool IsIPv6(const Entry& entry) { return entry.text.find(L':') != std::wstring::npos; }

std::vector<Entry> IPv4Entries(const std::vector<Entry>& entries) {
    std::vector<Entry> kept;
    for (const Entry& e : entries)
        if (!IsIPv6(e)) kept.push_back(e);
    return kept;
}

Variant TextArray(const std::vector<std::wstring>& texts) {
    Variant::Array array;
    for (const std::wstring& t : texts) array.emplace_back(t);
    return Variant(std::move(array));
}

}  // namespace

std::wstring NetworkNamespaceMoniker(const std::wstring& computerName) {
    return L"winmgmts:{impersonationLevel=impersonate}!\\\\" + computerName + L"\\root\\cimv2";
}

frmNetworkSettings::frmNetworkSettings(app::Services& services)
    : ui::Form(*services.shell, L"frmNetworkSettings"), services_(services) {
    SetCaption(L"Network Settings");
    clientWidth = 4830;
    clientHeight = 5430;

    cmbInterfaces = &Add<ui::ComboBox>(L"cmbInterfaces");
    cmbInterfaces->bounds = {120, 120, 4590, 315};

    frameStaticIP = &Add<ui::Frame>(L"frameStaticIP");
    frameStaticIP->bounds = {120, 540, 4590, 2055};
    for (int i = 0; i < 2; ++i) {
        optIPAddress[i] = &Add<ui::OptionButton>(L"optIPAddress", i);
        optIPAddress[i]->container = frameStaticIP;
        optIPAddress[i]->bounds = {240, 660 + 300 * i, 4350, 255};
    }
    optIPAddress[0]->SetCaption(L"Obtain an IP address automatically");
    optIPAddress[1]->SetCaption(L"Use the following IP address:");
    auto addressRow = [this](ui::Label*& label, const wchar_t* labelName, const wchar_t* caption,
                             ui::TextBox*& box, const wchar_t* boxName, int top, ui::Frame* frame) {
        label = &Add<ui::Label>(labelName);
        label->SetCaption(caption);
        label->container = frame;
        label->bounds = {480, top + 30, 1935, 255};
        box = &Add<ui::TextBox>(boxName);
        box->container = frame;
        box->bounds = {2520, top, 2070, 315};
        box->maxLength = 15;
    };
    addressRow(Label1, L"Label1", L"IP address:", txtIP, L"txtIP", 1290, frameStaticIP);
    addressRow(Label2, L"Label2", L"Subnet mask:", txtSubnetMask, L"txtSubnetMask", 1680,
               frameStaticIP);
    addressRow(Label3, L"Label3", L"Default gateway:", txtGateway, L"txtGateway", 2070,
               frameStaticIP);

    frameStaticDNS = &Add<ui::Frame>(L"frameStaticDNS");
    frameStaticDNS->bounds = {120, 2715, 4590, 1815};
    for (int i = 0; i < 2; ++i) {
        optDNS[i] = &Add<ui::OptionButton>(L"optDNS", i);
        optDNS[i]->container = frameStaticDNS;
        optDNS[i]->bounds = {240, 2835 + 300 * i, 4350, 255};
    }
    optDNS[0]->SetCaption(L"Obtain DNS server address automatically");
    optDNS[1]->SetCaption(L"Use the following DNS server address:");
    addressRow(Label4, L"Label4", L"Preferred DNS server:", txtDNS1, L"txtDNS1", 3465,
               frameStaticDNS);
    addressRow(Label5, L"Label5", L"Alternate DNS server:", txtDNS2, L"txtDNS2", 3855,
               frameStaticDNS);
    txtDNS2->maxLength = 0;

    cmdSave = &Add<ui::Button>(L"cmdSave");
    cmdSave->SetCaption(L"&OK");
    cmdSave->bounds = {2280, 4875, 1095, 375};
    cmdCancel = &Add<ui::Button>(L"cmdCancel");
    cmdCancel->SetCaption(L"&Cancel");
    cmdCancel->bounds = {3495, 4875, 1095, 375};

    // Design state: automatic address and DNS, the address boxes disabled.
    optIPAddress[0]->SetValue(true);
    optDNS[0]->SetValue(true);
    for (ui::TextBox* box : {txtIP, txtSubnetMask, txtGateway, txtDNS1, txtDNS2})
        box->SetEnabled(false);

    SetTabOrder({cmbInterfaces, optIPAddress[0], optIPAddress[1], txtIP, txtSubnetMask, txtGateway,
                 optDNS[0], optDNS[1], txtDNS1, txtDNS2, cmdSave, cmdCancel});

    cmbInterfaces->Click = [this] { cmbInterfaces_Click(); };
    for (int i = 0; i < 2; ++i) {
        optIPAddress[i]->Click = [this, i] { optIPAddress_Click(i); };
        optDNS[i]->Click = [this, i] { optDNS_Click(i); };
    }
    cmdSave->Click = [this] { cmdSave_Click(); };
    cmdCancel->Click = [this] { cmdCancel_Click(); };
}

void frmNetworkSettings::Form_Load() {
    optDNS[0]->SetEnabled(true);
    optDNS[1]->SetEnabled(true);
    FillInterfaces();
}

void frmNetworkSettings::ReportFailure(const std::wstring& lead, const std::wstring& description) {
    GetShell().MsgBox(description.empty() ? lead : lead + L" " + description, ui::kMbOk);
}

std::vector<sysaccess::AutoObjectPtr> frmNetworkSettings::RunQuery(const std::wstring& query) {
    const std::wstring computer = identity::GetLocalComputerName(services_);
    sysaccess::AutoObjectPtr cimv2 = services_.objects->Bind(NetworkNamespaceMoniker(computer));
    if (!cimv2) return {};
    const Variant result = cimv2->Call(L"ExecQuery", {Variant(query)});
    if (!result.IsObject() || !result.Object()) return {};
    return result.Object()->Items();
}

void frmNetworkSettings::FillInterfaces() {
    cmbInterfaces->Clear();
    std::vector<sysaccess::AutoObjectPtr> adapters;
    try {
        adapters =
            RunQuery(L"SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True");
    } catch (const std::exception& e) {
        ReportFailure(kReadLead, Describe(e));
        return;
    }
    for (const auto& adapter : adapters) {
        if (!adapter) continue;
        const std::wstring name = GetConnectionName(services_, *adapter);
        if (!name.empty()) cmbInterfaces->AddItem(name);
    }
    if (cmbInterfaces->ListCount() > 0) cmbInterfaces->SetListIndex(0);
}

void frmNetworkSettings::cmbInterfaces_Click() { ShowAdapter(GetSelectedAdapter()); }

sysaccess::AutoObjectPtr frmNetworkSettings::GetSelectedAdapter() {
    if (cmbInterfaces->ListIndex() < 0) return nullptr;
    const std::wstring settingId = GetSettingIDForConnection(services_, cmbInterfaces->Text());
    try {
        std::vector<sysaccess::AutoObjectPtr> found =
            RunQuery(L"SELECT * FROM Win32_NetworkAdapterConfiguration WHERE SettingID='" +
                     settingId + L"'");
        return found.empty() ? nullptr : found.back();
    } catch (const std::exception& e) {
        ReportFailure(kReadLead, Describe(e));
        return nullptr;
    }
}

void frmNetworkSettings::ShowAdapter(const sysaccess::AutoObjectPtr& adapter) {
    if (!adapter) return;
    bool dhcp = false;
    try {
        dhcp = adapter->Get(L"DHCPEnabled").ToBool();
    } catch (const std::exception& e) {
        ReportFailure(kReadLead, Describe(e));
        return;
    }
    if (dhcp) {
        optIPAddress[0]->SetValue(true);
        txtIP->SetText(L"");
        txtSubnetMask->SetText(L"");
        txtGateway->SetText(L"");
    } else {
        ShowStaticAddress(adapter);
    }
    ShowDnsServers(adapter);
}

void frmNetworkSettings::ShowStaticAddress(const sysaccess::AutoObjectPtr& adapter) {
    optIPAddress[1]->SetValue(true);
    if (!adapter) return;
    std::vector<Entry> addresses, masks, gateways;
    try {
        addresses = ReadEntries(*adapter, L"IpAddress");
        masks = ReadEntries(*adapter, L"IPSubnet");
        gateways = IPv4Entries(ReadEntries(*adapter, L"DefaultIPGateway"));
    } catch (const std::exception& e) {
        ReportFailure(kReadLead, Describe(e));
        return;
    }

    // The first IPv4 address and the mask at its position. Without any IPv4
    // address, the first mask that is not an IPv6 prefix length is shown.
    std::wstring ip, mask;
    std::size_t position = addresses.size();
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        if (!IsIPv6(addresses[i])) {
            position = i;
            break;
        }
    }
    if (position < addresses.size()) {
        ip = addresses[position].text;
        if (ip == L"0.0.0.0") ip.clear();
        if (position < masks.size()) mask = masks[position].text;
    } else {
        for (const Entry& m : masks) {
            if (m.text.find(L'.') != std::wstring::npos || m.text.empty()) {
                mask = m.text;
                break;
            }
        }
    }
    std::wstring gatewayList;
    for (std::size_t i = 0; i < gateways.size(); ++i) {
        if (i > 0) gatewayList += L' ';
        gatewayList += gateways[i].text;
    }
    txtIP->SetText(ip);
    txtSubnetMask->SetText(mask);
    txtGateway->SetText(gatewayList);
}

void frmNetworkSettings::ShowDnsServers(const sysaccess::AutoObjectPtr& adapter) {
    bool isStatic = false;
    try {
        isStatic = !IsDnsAutomatic(services_, adapter->Get(L"SettingID").ToText());
    } catch (const std::exception&) {
        // Unknown: shown as automatic.
    }
    if (isStatic) {
        optDNS[1]->SetValue(true);
        std::vector<Entry> servers;
        try {
            servers = IPv4Entries(ReadEntries(*adapter, L"DNSServerSearchOrder"));
        } catch (const std::exception&) {
            // No list to show: both boxes end up empty rather than keeping
            // another connection's servers.
        }
        txtDNS1->SetText(servers.empty() ? std::wstring() : servers[0].text);
        txtDNS2->SetText(servers.size() > 1 && !servers[1].isNull ? servers[1].text
                                                                  : std::wstring());
        if (txtDNS2->Text() == txtDNS1->Text()) txtDNS2->SetText(L"");
    } else {
        txtDNS1->SetText(L"");
        txtDNS2->SetText(L"");
        optDNS[0]->SetValue(true);
    }
}

void frmNetworkSettings::optIPAddress_Click(int /*index*/) {
    if (optIPAddress[0]->Value()) {
        for (ui::TextBox* box : {txtIP, txtSubnetMask, txtGateway}) {
            box->SetText(L"");
            box->SetEnabled(false);
        }
        optDNS[0]->SetValue(true);
        optDNS[0]->SetEnabled(true);
        optDNS[1]->SetEnabled(true);
    } else {
        sysaccess::AutoObjectPtr adapter = GetSelectedAdapter();
        for (ui::TextBox* box : {txtIP, txtSubnetMask, txtGateway}) box->SetEnabled(true);
        ShowStaticAddress(adapter);
        optDNS[0]->SetEnabled(false);
        optDNS[1]->SetEnabled(true);
        optDNS[1]->SetValue(true);
    }
}

void frmNetworkSettings::optDNS_Click(int /*index*/) {
    if (optDNS[0]->Value()) {
        txtDNS1->SetText(L"");
        txtDNS1->SetEnabled(false);
        txtDNS2->SetText(L"");
        txtDNS2->SetEnabled(false);
    } else {
        txtDNS1->SetEnabled(true);
        txtDNS2->SetEnabled(true);
    }
}

bool frmNetworkSettings::ValidateInputs() {
    for (ui::TextBox* box : {txtIP, txtSubnetMask, txtGateway, txtDNS1, txtDNS2})
        if (!IsValidIPAddress(box->Text())) return false;
    return true;
}

void frmNetworkSettings::cmdSave_Click() {
    if (!ValidateInputs()) {
        GetShell().MsgBox(L"Invalid", ui::kMbOk);
        return;
    }
    SaveSettings();
    FillInterfaces();
}

void frmNetworkSettings::cmdCancel_Click() { Unload(); }

bool frmNetworkSettings::CallAdapterMethod(sysaccess::IAutoObject& adapter,
                                           const std::wstring& method,
                                           const std::vector<Variant>& args,
                                           const std::wstring& failureLead,
                                           const std::wstring& statusMessage) {
    std::int32_t status = 0;
    try {
        status = adapter.Call(method, args).ToInt32();
    } catch (const std::exception& e) {
        ReportFailure(failureLead, Describe(e));
        return false;
    }
    // 1 means the change is made and completes at the next restart.
    if (status == 0 || status == 1) return true;
    GetShell().MsgBox(statusMessage.empty() ? StatusMessage(failureLead) + std::to_wstring(status)
                                            : statusMessage,
                      ui::kMbOk);
    return false;
}

void frmNetworkSettings::ClearNameServer(const sysaccess::AutoObjectPtr& adapter) {
    try {
        sysaccess::cRegistry reg(*services_.registry);
        reg.SetClassKey(sysaccess::kHkeyLocalMachine);
        reg.SetSectionKey(InterfaceKeyPath(adapter->Get(L"SettingID").ToText()));
        reg.SetValueKey(L"NameServer");
        reg.SetValueType(static_cast<std::int32_t>(sysaccess::kRegSz));
        reg.SetValue(Variant(std::wstring()));
    } catch (const std::exception& e) {
        ReportFailure(kClearDnsLead, Describe(e));
    }
}

void frmNetworkSettings::SaveSettings() {
    sysaccess::AutoObjectPtr adapter = GetSelectedAdapter();
    if (!adapter) return;

    if (optIPAddress[0]->Value()) {
        ClearNameServer(adapter);
        CallAdapterMethod(*adapter, L"EnableDHCP", {}, kDhcpLead, kDhcpFailed);
    } else if (!txtIP->Text().empty() && !txtSubnetMask->Text().empty()) {
        const bool addressSet = CallAdapterMethod(
            *adapter, L"EnableStatic",
            {TextArray({txtIP->Text()}), TextArray({txtSubnetMask->Text()})}, kAddressLead, L"");
        // A gateway only makes sense for an address the adapter accepted; an
        // emptied box removes nothing.
        if (addressSet && !txtGateway->Text().empty()) {
            Variant::Array metrics{Variant(std::int16_t{1})};
            CallAdapterMethod(*adapter, L"SetGateways",
                              {TextArray({txtGateway->Text()}), Variant(std::move(metrics))},
                              kGatewayLead, L"");
        }
    }

    if (optDNS[1]->Value()) {
        std::vector<std::wstring> servers;
        for (ui::TextBox* box : {txtDNS1, txtDNS2})
            if (!box->Text().empty()) servers.push_back(box->Text());
        CallAdapterMethod(*adapter, L"SetDNSServerSearchOrder", {TextArray(servers)}, kDnsLead,
                          L"");
    }
}

}  // namespace network
