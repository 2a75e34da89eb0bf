#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/FormCatalog.h"
#include "app/Services.h"
#include "network/frmNetworkSettings.h"
#include "network/mdlWMINetwork.h"
#include "tests/support/FakeAutomation.h"
#include "tests/support/FakeRegistry.h"
#include "tests/support/TestShell.h"

namespace {

using network::frmNetworkSettings;
using sysaccess::kHkeyLocalMachine;
using sysaccess::Variant;
using testing_support::FakeAutoObject;

constexpr const wchar_t* kMoniker =
    L"winmgmts:{impersonationLevel=impersonate}!\\\\SRV1\\root\\cimv2";
constexpr const wchar_t* kAllAdapters =
    L"SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True";
constexpr const wchar_t* kLan = L"{11111111-0000-0000-0000-000000000001}";
constexpr const wchar_t* kWifi = L"{22222222-0000-0000-0000-000000000002}";
constexpr const wchar_t* kHidden = L"{33333333-0000-0000-0000-000000000003}";

std::wstring QueryFor(const std::wstring& settingId) {
    return L"SELECT * FROM Win32_NetworkAdapterConfiguration WHERE SettingID='" + settingId + L"'";
}

Variant Status(std::int32_t status) { return Variant(status); }

Variant Texts(const std::vector<std::wstring>& texts) {
    Variant::Array array;
    for (const auto& t : texts) array.emplace_back(t);
    return Variant(std::move(array));
}

struct NetworkSettings : ::testing::Test {
    testing_support::TestShell shell;
    testing_support::FakeRegistry registry;
    testing_support::FakeObjectBinder binder;
    app::Services services;
    std::shared_ptr<FakeAutoObject> cimv2;
    std::vector<std::pair<std::wstring, std::shared_ptr<FakeAutoObject>>> adapters;
    std::shared_ptr<frmNetworkSettings> form;

    NetworkSettings() {
        services.shell = &shell;
        services.registry = &registry;
        services.objects = &binder;
        services.computerNameCache = L"SRV1";
        cimv2 = binder.AddObject(kMoniker);
    }

    // An adapter obtaining its address by DHCP, no addresses, no gateway, no
    // DNS servers; its configuration methods succeed. An empty name leaves it
    // without a registry entry.
    std::shared_ptr<FakeAutoObject> AddAdapter(const std::wstring& settingId,
                                               const std::wstring& name) {
        auto adapter = binder.NewObject(name.empty() ? settingId : name);
        adapter->SetProperty(L"SettingID", settingId)
            .SetProperty(L"DHCPEnabled", true)
            .SetProperty(L"IpAddress", Variant::Null())
            .SetProperty(L"IPSubnet", Variant::Null())
            .SetProperty(L"DefaultIPGateway", Variant::Null())
            .SetProperty(L"DNSServerSearchOrder", Variant::Null())
            .OnCall(L"EnableDHCP", Status(0))
            .OnCall(L"EnableStatic", Status(0))
            .OnCall(L"SetGateways", Status(0))
            .OnCall(L"SetDNSServerSearchOrder", Status(0));
        if (!name.empty())
            registry.SetString(kHkeyLocalMachine, network::ConnectionKeyPath(settingId), L"Name",
                               name);
        adapters.emplace_back(settingId, adapter);
        return adapter;
    }

    std::shared_ptr<FakeAutoObject> AddStaticAdapter(const std::wstring& settingId,
                                                     const std::wstring& name) {
        auto adapter = AddAdapter(settingId, name);
        adapter->SetProperty(L"DHCPEnabled", false)
            .SetProperty(L"IpAddress", Texts({L"192.168.1.10"}))
            .SetProperty(L"IPSubnet", Texts({L"255.255.255.0"}))
            .SetProperty(L"DefaultIPGateway", Texts({L"192.168.1.1"}))
            .SetProperty(L"DNSServerSearchOrder", Texts({L"192.168.1.53", L"192.168.1.54"}));
        SetNameServer(settingId, L"192.168.1.53,192.168.1.54");
        return adapter;
    }

    void SetNameServer(const std::wstring& settingId, const std::wstring& servers) {
        registry.SetString(kHkeyLocalMachine, network::InterfaceKeyPath(settingId), L"NameServer",
                           servers);
    }

    std::optional<std::wstring> NameServer(const std::wstring& settingId) const {
        return registry.GetString(kHkeyLocalMachine, network::InterfaceKeyPath(settingId),
                                  L"NameServer");
    }

    void Publish() {
        std::vector<sysaccess::AutoObjectPtr> all;
        for (auto& [id, adapter] : adapters) {
            all.push_back(adapter);
            cimv2->OnQuery(QueryFor(id), {adapter});
        }
        cimv2->OnQuery(kAllAdapters, all);
    }

    void Open() {
        Publish();
        form = ui::NewForm<frmNetworkSettings>(services);
        form->Load();
        form->Show();
    }

    std::vector<std::wstring> Boxes() const {
        return {form->txtIP->Text(), form->txtSubnetMask->Text(), form->txtGateway->Text(),
                form->txtDNS1->Text(), form->txtDNS2->Text()};
    }
    std::vector<bool> BoxesEnabled() const {
        return {form->txtIP->Enabled(), form->txtSubnetMask->Enabled(), form->txtGateway->Enabled(),
                form->txtDNS1->Enabled(), form->txtDNS2->Enabled()};
    }
    // Names of the configuration methods called on any object, in order.
    std::vector<std::wstring> MethodsCalled() const {
        std::vector<std::wstring> names;
        for (const auto& call : binder.journal)
            if (call.kind == testing_support::AutoCall::Kind::Call && call.member != L"ExecQuery")
                names.push_back(call.member);
        return names;
    }
    std::vector<std::wstring> Messages() const {
        std::vector<std::wstring> texts;
        for (const auto& m : shell.messages) texts.push_back(m.text);
        return texts;
    }
    void Type(ui::TextBox* box, const std::wstring& text) { box->UserSetText(text); }
};

using Strings = std::vector<std::wstring>;
using Flags = std::vector<bool>;

// ---------------------------------------------------------------- layout

TEST_F(NetworkSettings, WindowLayoutCaptionsAndTabOrder) {
    Open();
    EXPECT_EQ(form->Caption(), L"Network Settings");
    EXPECT_EQ(form->clientWidth, 4830);
    EXPECT_EQ(form->clientHeight, 5430);
    EXPECT_EQ(form->fontName, L"Verdana");
    EXPECT_DOUBLE_EQ(form->fontSize, 8.25);
    EXPECT_EQ(form->optIPAddress[0]->Caption(), L"Obtain an IP address automatically");
    EXPECT_EQ(form->optIPAddress[1]->Caption(), L"Use the following IP address:");
    EXPECT_EQ(form->optDNS[0]->Caption(), L"Obtain DNS server address automatically");
    EXPECT_EQ(form->optDNS[1]->Caption(), L"Use the following DNS server address:");
    EXPECT_EQ(form->Label1->Caption(), L"IP address:");
    EXPECT_EQ(form->Label2->Caption(), L"Subnet mask:");
    EXPECT_EQ(form->Label3->Caption(), L"Default gateway:");
    EXPECT_EQ(form->Label4->Caption(), L"Preferred DNS server:");
    EXPECT_EQ(form->Label5->Caption(), L"Alternate DNS server:");
    EXPECT_EQ(form->cmdSave->Caption(), L"&OK");
    EXPECT_EQ(form->cmdCancel->Caption(), L"&Cancel");
    for (ui::TextBox* box : {form->txtIP, form->txtSubnetMask, form->txtGateway, form->txtDNS1})
        EXPECT_EQ(box->maxLength, 15) << box->Name();
    EXPECT_EQ(form->txtDNS2->maxLength, 0);

    for (ui::Control* c :
         {static_cast<ui::Control*>(form->optIPAddress[0]),
          static_cast<ui::Control*>(form->optIPAddress[1]), static_cast<ui::Control*>(form->Label1),
          static_cast<ui::Control*>(form->txtIP), static_cast<ui::Control*>(form->Label2),
          static_cast<ui::Control*>(form->txtSubnetMask), static_cast<ui::Control*>(form->Label3),
          static_cast<ui::Control*>(form->txtGateway)})
        EXPECT_EQ(c->container, form->frameStaticIP) << c->Name();
    for (ui::Control* c :
         {static_cast<ui::Control*>(form->optDNS[0]), static_cast<ui::Control*>(form->optDNS[1]),
          static_cast<ui::Control*>(form->Label4), static_cast<ui::Control*>(form->txtDNS1),
          static_cast<ui::Control*>(form->Label5), static_cast<ui::Control*>(form->txtDNS2)})
        EXPECT_EQ(c->container, form->frameStaticDNS) << c->Name();
    EXPECT_EQ(form->Find(L"optIPAddress", 1), form->optIPAddress[1]);
    EXPECT_EQ(form->Find(L"optDNS", 0), form->optDNS[0]);

    std::vector<std::wstring> tabStops;
    for (ui::Control* c : form->TabOrder())
        if (c->tabStop)
            tabStops.push_back(c->Name() + (c->Index() >= 0 ? std::to_wstring(c->Index()) : L""));
    EXPECT_EQ(tabStops, (Strings{L"cmbInterfaces", L"optIPAddress0", L"optIPAddress1", L"txtIP",
                                 L"txtSubnetMask", L"txtGateway", L"optDNS0", L"optDNS1",
                                 L"txtDNS1", L"txtDNS2", L"cmdSave", L"cmdCancel"}));

    // Every control lies inside the client area.
    for (const auto& c : form->Controls()) {
        EXPECT_GE(c->bounds.left, 0) << c->Name();
        EXPECT_LE(c->bounds.left + c->bounds.width, form->clientWidth) << c->Name();
        EXPECT_LE(c->bounds.top + c->bounds.height, form->clientHeight) << c->Name();
    }
}

TEST_F(NetworkSettings, IsRegisteredForTheMainMenu) {
    ASSERT_TRUE(app::FormCatalog::Default().Has(L"frmNetworkSettings"));
    AddAdapter(kLan, L"Ethernet");
    Publish();
    services.catalog = &app::FormCatalog::Default();
    auto opened = app::OpenModeless(services, L"frmNetworkSettings");
    ASSERT_TRUE(opened);
    EXPECT_TRUE(opened->IsVisible());
    auto typed = std::dynamic_pointer_cast<frmNetworkSettings>(opened);
    ASSERT_TRUE(typed);
    EXPECT_EQ(typed->cmbInterfaces->Text(), L"Ethernet");
    typed->cmdCancel->UserClick();
    EXPECT_FALSE(opened->IsLoaded());
}

// ---------------------------------------------------------------- listing

TEST_F(NetworkSettings, ListsNamedConnectionsInQueryOrderAndShowsTheFirst) {
    AddStaticAdapter(kWifi, L"Wireless");
    AddAdapter(kHidden, L"");  // no connection name: not offered
    AddAdapter(kLan, L"Local Area Connection");
    Open();
    // Every query binds the namespace afresh: the list, the selection and the
    // static address's option click.
    EXPECT_EQ(binder.binds, Strings(3, kMoniker));
    ASSERT_GE(cimv2->CallCount(L"ExecQuery"), 1);
    EXPECT_EQ(cimv2->CallsTo(L"ExecQuery")[0].args, std::vector<Variant>{Variant(kAllAdapters)});
    EXPECT_EQ(form->cmbInterfaces->Items(), (Strings{L"Wireless", L"Local Area Connection"}));
    EXPECT_EQ(form->cmbInterfaces->ListIndex(), 0);
    EXPECT_EQ(Boxes(), (Strings{L"192.168.1.10", L"255.255.255.0", L"192.168.1.1", L"192.168.1.53",
                                L"192.168.1.54"}));
    // The selected connection is fetched again by its identifier.
    EXPECT_EQ(cimv2->CallsTo(L"ExecQuery")[1].args, std::vector<Variant>{Variant(QueryFor(kWifi))});
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_EQ(registry.OpenHandles(), 0);
}

TEST_F(NetworkSettings, WithoutConnectionsTheControlsKeepTheirDesignStateAndOkAppliesNothing) {
    AddAdapter(kHidden, L"");
    Open();
    EXPECT_EQ(form->cmbInterfaces->ListCount(), 0);
    EXPECT_TRUE(form->optIPAddress[0]->Value());
    EXPECT_TRUE(form->optDNS[0]->Value());
    EXPECT_TRUE(form->optDNS[0]->Enabled());
    EXPECT_TRUE(form->optDNS[1]->Enabled());
    EXPECT_EQ(Boxes(), Strings(5));
    EXPECT_EQ(BoxesEnabled(), Flags(5, false));
    form->cmdSave->UserClick();
    EXPECT_TRUE(MethodsCalled().empty());
    EXPECT_TRUE(registry.writes.empty());
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_TRUE(form->IsLoaded());
}

TEST_F(NetworkSettings, AConnectionWhoseObjectIsGoneLeavesTheControlsAlone) {
    AddStaticAdapter(kLan, L"Ethernet");
    AddAdapter(kWifi, L"Wireless");
    Open();
    const Strings shown = Boxes();
    cimv2->OnQuery(QueryFor(kWifi), {});  // unplugged meanwhile
    form->cmbInterfaces->UserSelect(1);
    EXPECT_EQ(Boxes(), shown);
    EXPECT_TRUE(form->optIPAddress[1]->Value());
    form->cmdSave->UserClick();
    EXPECT_TRUE(MethodsCalled().empty());
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(NetworkSettings, AFailedConnectionToInstrumentationIsReportedAndTheDialogStaysUsable) {
    binder.FailBind(kMoniker, L"The RPC server is unavailable.");
    Open();
    EXPECT_EQ(Messages(),
              Strings{L"Failed to read the network settings. The RPC server is unavailable."});
    EXPECT_EQ(shell.messages[0].style, 0);
    EXPECT_EQ(shell.messages[0].title, L"Quillon");
    EXPECT_TRUE(form->IsLoaded());
    EXPECT_EQ(form->cmbInterfaces->ListCount(), 0);
    form->optIPAddress[1]->UserClick();
    EXPECT_EQ(BoxesEnabled(), (Flags{true, true, true, true, true}));
    form->cmdCancel->UserClick();
    EXPECT_FALSE(form->IsLoaded());
}

TEST_F(NetworkSettings, AFailedQueryIsReportedWithItsDescription) {
    AddAdapter(kLan, L"Ethernet");
    Publish();
    cimv2->FailQuery(kAllAdapters, L"Invalid class");
    form = ui::NewForm<frmNetworkSettings>(services);
    form->Show();
    EXPECT_EQ(Messages(), Strings{L"Failed to read the network settings. Invalid class"});
    EXPECT_EQ(form->cmbInterfaces->ListCount(), 0);
}

TEST_F(NetworkSettings, AFailingQueryForTheSelectedConnectionMakesOkApplyNothing) {
    AddStaticAdapter(kLan, L"Ethernet");
    Open();
    cimv2->FailQuery(QueryFor(kLan), L"Quota violation");
    form->cmdSave->UserClick();
    EXPECT_TRUE(MethodsCalled().empty());
    // One report for the save's lookup and one for the reload's.
    ASSERT_FALSE(shell.messages.empty());
    EXPECT_EQ(Messages()[0], L"Failed to read the network settings. Quota violation");
    EXPECT_TRUE(form->IsLoaded());
}

// ---------------------------------------------------------------- display rules

TEST_F(NetworkSettings, ADhcpConnectionShowsAutomaticSettingsWithDisabledBoxes) {
    auto lan = AddAdapter(kLan, L"Ethernet");
    lan->SetProperty(L"IpAddress", Texts({L"10.1.2.3"}));
    lan->SetProperty(L"DHCPEnabled", Variant::Null());  // null counts as false...
    AddAdapter(kWifi, L"Wireless");
    Open();
    EXPECT_TRUE(form->optIPAddress[1]->Value());  // ...so Ethernet shows as static
    form->cmbInterfaces->UserSelect(1);
    EXPECT_TRUE(form->optIPAddress[0]->Value());
    EXPECT_TRUE(form->optDNS[0]->Value());
    EXPECT_EQ(Boxes(), Strings(5));
    EXPECT_EQ(BoxesEnabled(), Flags(5, false));
    EXPECT_TRUE(form->optDNS[0]->Enabled());
    EXPECT_TRUE(form->optDNS[1]->Enabled());
}

TEST_F(NetworkSettings, AZeroAddressShowsAnEmptyBoxButKeepsTheMask) {
    auto lan = AddStaticAdapter(kLan, L"Ethernet");
    lan->SetProperty(L"IpAddress", Texts({L"0.0.0.0"}));
    lan->SetProperty(L"IPSubnet", Texts({L"0.0.0.0"}));
    lan->SetProperty(L"DefaultIPGateway", Variant::Null());
    Open();
    EXPECT_EQ(form->txtIP->Text(), L"");
    EXPECT_EQ(form->txtSubnetMask->Text(), L"0.0.0.0");
    EXPECT_EQ(form->txtGateway->Text(), L"");
}

TEST_F(NetworkSettings, WithoutAnAddressTheFirstMaskIsStillShown) {
    auto lan = AddStaticAdapter(kLan, L"Ethernet");
    lan->SetProperty(L"IpAddress", Variant::Null());
    lan->SetProperty(L"IPSubnet", Texts({L"255.0.0.0", L"255.255.0.0"}));
    lan->SetProperty(L"DefaultIPGateway", Variant(L"10.0.0.1"));  // a lone text, not an array
    Open();
    EXPECT_EQ(form->txtIP->Text(), L"");
    EXPECT_EQ(form->txtSubnetMask->Text(), L"255.0.0.0");
    EXPECT_EQ(form->txtGateway->Text(), L"10.0.0.1");
}

TEST_F(NetworkSettings, SeveralGatewaysAreJoinedByBlanksAndFailValidation) {
    auto lan = AddStaticAdapter(kLan, L"Ethernet");
    lan->SetProperty(L"IpAddress", Texts({L"10.0.0.5", L"10.0.1.5"}));
    lan->SetProperty(L"IPSubnet", Texts({L"255.255.255.0", L"255.255.0.0"}));
    lan->SetProperty(L"DefaultIPGateway", Texts({L"10.0.0.1", L"10.0.0.2"}));
    Open();
    EXPECT_EQ(form->txtIP->Text(), L"10.0.0.5");
    EXPECT_EQ(form->txtSubnetMask->Text(), L"255.255.255.0");
    EXPECT_EQ(form->txtGateway->Text(), L"10.0.0.1 10.0.0.2");
    const int queries = cimv2->CallCount(L"ExecQuery");
    form->cmdSave->UserClick();
    EXPECT_EQ(Messages(), Strings{L"Invalid"});
    EXPECT_EQ(shell.messages[0].style, 0);
    EXPECT_EQ(shell.messages[0].title, L"Quillon");
    EXPECT_TRUE(MethodsCalled().empty());
    EXPECT_EQ(cimv2->CallCount(L"ExecQuery"), queries);  // no reload either

    Type(form->txtGateway, L"10.0.0.1");
    form->cmdSave->UserClick();
    EXPECT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(MethodsCalled(),
              (Strings{L"EnableStatic", L"SetGateways", L"SetDNSServerSearchOrder"}));
}

TEST_F(NetworkSettings, DnsBoxesFollowTheServerList) {
    auto lan = AddStaticAdapter(kLan, L"Ethernet");
    auto wifi = AddStaticAdapter(kWifi, L"Wireless");
    auto third = AddStaticAdapter(kHidden, L"Backup");
    lan->SetProperty(L"DNSServerSearchOrder", Texts({L"10.0.0.53", L"10.0.0.53"}));
    wifi->SetProperty(L"DNSServerSearchOrder", Texts({L"10.0.0.54"}));
    third->SetProperty(L"DNSServerSearchOrder", Variant::Null());
    Open();
    EXPECT_TRUE(form->optDNS[1]->Value());
    EXPECT_FALSE(form->optDNS[0]->Enabled());
    EXPECT_EQ(form->txtDNS1->Text(), L"10.0.0.53");
    EXPECT_EQ(form->txtDNS2->Text(), L"");  // equal to the preferred one

    form->cmbInterfaces->UserSelect(1);
    EXPECT_EQ(form->txtDNS1->Text(), L"10.0.0.54");
    EXPECT_EQ(form->txtDNS2->Text(), L"");

    form->cmbInterfaces->UserSelect(2);  // registry says static, instrumentation lists none
    EXPECT_EQ(form->txtDNS1->Text(), L"");
    EXPECT_EQ(form->txtDNS2->Text(), L"");
    EXPECT_TRUE(form->optDNS[1]->Value());
}

TEST_F(NetworkSettings, DnsFromTheRegistryDecidesBetweenAutomaticAndStatic) {
    auto lan = AddStaticAdapter(kLan, L"Ethernet");
    SetNameServer(kLan, L"");  // servers came from DHCP although listed
    Open();
    EXPECT_TRUE(form->optIPAddress[1]->Value());
    EXPECT_TRUE(form->optDNS[0]->Value());
    EXPECT_EQ(form->txtDNS1->Text(), L"");
    EXPECT_FALSE(form->txtDNS1->Enabled());
    EXPECT_FALSE(form->txtDNS2->Enabled());
}

TEST_F(NetworkSettings, AnUnreadableSettingIdShowsDnsAsAutomatic) {
    auto lan = AddStaticAdapter(kLan, L"Ethernet");
    Publish();
    form = ui::NewForm<frmNetworkSettings>(services);
    form->Load();
    // Once listed, the adapter's SettingID can no longer be read.
    lan->FailProperty(L"SettingID", L"Generic failure");
    form->cmbInterfaces->SetListIndex(-1);
    form->cmbInterfaces->UserSelect(0);
    EXPECT_TRUE(form->optDNS[0]->Value());
    EXPECT_EQ(form->txtDNS1->Text(), L"");
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(NetworkSettings, MixedIPv6ListsShowOnlyTheIPv4Entries) {
    auto lan = AddStaticAdapter(kLan, L"Ethernet");
    lan->SetProperty(L"IpAddress",
                     Texts({L"fe80::2", L"2001:db8::5", L"172.16.0.9", L"172.16.1.9"}));
    lan->SetProperty(L"IPSubnet", Texts({L"64", L"64", L"255.255.0.0", L"255.255.255.0"}));
    lan->SetProperty(L"DefaultIPGateway", Texts({L"fe80::1", L"172.16.0.1"}));
    lan->SetProperty(L"DNSServerSearchOrder",
                     Texts({L"fec0:0:0:ffff::1", L"172.16.0.53", L"2001:db8::53", L"172.16.0.54"}));
    Open();
    EXPECT_EQ(Boxes(), (Strings{L"172.16.0.9", L"255.255.0.0", L"172.16.0.1", L"172.16.0.53",
                                L"172.16.0.54"}));
    form->cmdSave->UserClick();  // what is shown passes validation
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(NetworkSettings, AnIPv6OnlyAdapterShowsNoAddress) {
    auto lan = AddStaticAdapter(kLan, L"Ethernet");
    lan->SetProperty(L"IpAddress", Texts({L"fe80::2"}));
    lan->SetProperty(L"IPSubnet", Texts({L"64"}));
    lan->SetProperty(L"DefaultIPGateway", Texts({L"fe80::1"}));
    lan->SetProperty(L"DNSServerSearchOrder", Texts({L"fec0:0:0:ffff::1"}));
    Open();
    EXPECT_EQ(Boxes(), Strings(5));
}

// ---------------------------------------------------------------- option buttons

TEST_F(NetworkSettings, ChoosingAStaticAddressLoadsTheCurrentValuesAndForcesStaticDns) {
    auto lan = AddAdapter(kLan, L"Ethernet");
    lan->SetProperty(L"IpAddress", Texts({L"10.9.8.7"}))
        .SetProperty(L"IPSubnet", Texts({L"255.0.0.0"}))
        .SetProperty(L"DefaultIPGateway", Texts({L"10.0.0.1"}));
    Open();
    EXPECT_EQ(Boxes(), Strings(5));
    const int queries = cimv2->CallCount(L"ExecQuery");

    form->optIPAddress[1]->UserClick();
    EXPECT_EQ(cimv2->CallCount(L"ExecQuery"), queries + 1);  // fetched afresh
    EXPECT_EQ(Boxes(), (Strings{L"10.9.8.7", L"255.0.0.0", L"10.0.0.1", L"", L""}));
    EXPECT_EQ(BoxesEnabled(), Flags(5, true));
    EXPECT_FALSE(form->optDNS[0]->Enabled());
    EXPECT_TRUE(form->optDNS[1]->Enabled());
    EXPECT_TRUE(form->optDNS[1]->Value());

    // The disabled automatic DNS button cannot be chosen.
    form->optDNS[0]->UserClick();
    EXPECT_TRUE(form->optDNS[1]->Value());
}

TEST_F(NetworkSettings, ChoosingTheAutomaticAddressClearsAllBoxesAndFreesTheDnsChoice) {
    AddStaticAdapter(kLan, L"Ethernet");
    Open();
    EXPECT_EQ(BoxesEnabled(), Flags(5, true));
    form->optIPAddress[0]->UserClick();
    EXPECT_EQ(Boxes(), Strings(5));
    EXPECT_EQ(BoxesEnabled(), Flags(5, false));
    EXPECT_TRUE(form->optDNS[0]->Value());
    EXPECT_TRUE(form->optDNS[0]->Enabled());
    EXPECT_TRUE(form->optDNS[1]->Enabled());

    // Static DNS servers can still be given with DHCP.
    form->optDNS[1]->UserClick();
    EXPECT_FALSE(form->txtIP->Enabled());
    EXPECT_TRUE(form->txtDNS1->Enabled());
    EXPECT_TRUE(form->txtDNS2->Enabled());
    Type(form->txtDNS1, L"8.8.8.8");
    form->optDNS[0]->UserClick();
    EXPECT_EQ(form->txtDNS1->Text(), L"");
    EXPECT_FALSE(form->txtDNS1->Enabled());
    form->optDNS[1]->UserClick();
    Type(form->txtDNS2, L"9.9.9.9");
    form->optDNS[1]->UserClick();  // again: the text stays
    EXPECT_EQ(form->txtDNS2->Text(), L"9.9.9.9");
}

TEST_F(NetworkSettings, TheAddressBoxesLimitWhatIsTyped) {
    AddStaticAdapter(kLan, L"Ethernet");
    Open();
    Type(form->txtIP, L"255.255.255.2550");
    EXPECT_EQ(form->txtIP->Text(), L"255.255.255.255");
    Type(form->txtDNS2, L"255.255.255.2550");
    EXPECT_EQ(form->txtDNS2->Text(), L"255.255.255.2550");
    form->cmdSave->UserClick();
    EXPECT_EQ(Messages(), Strings{L"Invalid"});
}

// ---------------------------------------------------------------- what OK sends

TEST_F(NetworkSettings, OkWithAStaticAddressSendsAddressGatewayAndDns) {
    auto lan = AddStaticAdapter(kLan, L"Ethernet");
    AddAdapter(kWifi, L"Wireless");
    Open();
    Type(form->txtIP, L"10.0.0.20");
    Type(form->txtSubnetMask, L"255.255.255.0");
    Type(form->txtGateway, L"10.0.0.1");
    Type(form->txtDNS1, L"10.0.0.2");
    Type(form->txtDNS2, L"10.0.0.3");
    form->cmdSave->UserClick();
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_EQ(lan->MethodNames(),
              (Strings{L"EnableStatic", L"SetGateways", L"SetDNSServerSearchOrder"}));
    EXPECT_EQ(lan->CallsTo(L"EnableStatic")[0].args,
              (std::vector<Variant>{Texts({L"10.0.0.20"}), Texts({L"255.255.255.0"})}));
    Variant::Array metric{Variant(std::int16_t{1})};
    EXPECT_EQ(lan->CallsTo(L"SetGateways")[0].args,
              (std::vector<Variant>{Texts({L"10.0.0.1"}), Variant(metric)}));
    EXPECT_EQ(lan->CallsTo(L"SetDNSServerSearchOrder")[0].args,
              std::vector<Variant>{Texts({L"10.0.0.2", L"10.0.0.3"})});
    EXPECT_FALSE(NameServer(kLan) == std::optional<std::wstring>(L""));
}

TEST_F(NetworkSettings, OkWithAnEmptyMaskSendsNoAddressButStillTheDns) {
    auto lan = AddStaticAdapter(kLan, L"Ethernet");
    Open();
    Type(form->txtSubnetMask, L"");
    form->cmdSave->UserClick();
    EXPECT_EQ(lan->MethodNames(), Strings{L"SetDNSServerSearchOrder"});
    EXPECT_EQ(lan->CallsTo(L"SetDNSServerSearchOrder")[0].args,
              std::vector<Variant>{Texts({L"192.168.1.53", L"192.168.1.54"})});

    Type(form->txtSubnetMask, L"255.255.255.0");
    Type(form->txtIP, L"");
    form->cmdSave->UserClick();
    EXPECT_EQ(lan->CallCount(L"EnableStatic"), 0);
    EXPECT_EQ(lan->CallCount(L"SetGateways"), 0);
    EXPECT_EQ(lan->CallCount(L"SetDNSServerSearchOrder"), 2);
}

TEST_F(NetworkSettings, AnEmptiedGatewayBoxSendsNothingForTheGateway) {
    auto lan = AddStaticAdapter(kLan, L"Ethernet");
    Open();
    Type(form->txtGateway, L"");
    form->cmdSave->UserClick();
    EXPECT_EQ(lan->MethodNames(), (Strings{L"EnableStatic", L"SetDNSServerSearchOrder"}));
}

TEST_F(NetworkSettings, StaticDnsListSkipsEmptyBoxesAndMaySendAnEmptyList) {
    auto lan = AddStaticAdapter(kLan, L"Ethernet");
    Open();
    Type(form->txtDNS1, L"");
    form->cmdSave->UserClick();
    Type(form->txtDNS1, L"");
    Type(form->txtDNS2, L"");
    form->cmdSave->UserClick();
    Type(form->txtDNS2, L"");
    form->cmdSave->UserClick();  // reload showed both servers again
    Type(form->txtDNS2, L"");
    const auto calls = lan->CallsTo(L"SetDNSServerSearchOrder");
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].args, std::vector<Variant>{Texts({L"192.168.1.54"})});
    EXPECT_EQ(calls[1].args, std::vector<Variant>{Texts({})});
    EXPECT_EQ(calls[2].args, std::vector<Variant>{Texts({L"192.168.1.53"})});
    ASSERT_TRUE(calls[1].args[0].IsArray());
}

TEST_F(NetworkSettings, OkWithTheAutomaticAddressClearsNameServerBeforeEnablingDhcp) {
    auto lan = AddStaticAdapter(kLan, L"Ethernet");
    std::optional<std::wstring> nameServerAtCall;
    lan->OnCall(L"EnableDHCP", [&](const std::vector<Variant>& args) {
        EXPECT_TRUE(args.empty());
        nameServerAtCall = NameServer(kLan);
        return Variant(std::int32_t{0});
    });
    Open();
    form->optIPAddress[0]->UserClick();
    form->cmdSave->UserClick();
    EXPECT_EQ(nameServerAtCall, std::optional<std::wstring>(L""));
    EXPECT_EQ(lan->MethodNames(), Strings{L"EnableDHCP"});  // automatic DNS: no DNS call
    ASSERT_EQ(registry.writes.size(), 1u);
    EXPECT_EQ(registry.writes[0].root, kHkeyLocalMachine);
    EXPECT_EQ(registry.writes[0].path, network::InterfaceKeyPath(kLan));
    EXPECT_EQ(registry.writes[0].name, L"NameServer");
    EXPECT_EQ(registry.writes[0].type, sysaccess::kRegSz);
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_EQ(registry.OpenHandles(), 0);
}

TEST_F(NetworkSettings, OkWithTheAutomaticAddressAndStaticDnsSendsBoth) {
    auto lan = AddAdapter(kLan, L"Ethernet");
    lan->SetProperty(L"DNSServerSearchOrder", Texts({L"1.1.1.1", L"8.8.8.8"}));
    SetNameServer(kLan, L"1.1.1.1,8.8.8.8");
    Open();
    EXPECT_TRUE(form->optIPAddress[0]->Value());
    EXPECT_TRUE(form->optDNS[1]->Value());
    EXPECT_EQ(form->txtDNS2->Text(), L"8.8.8.8");
    form->cmdSave->UserClick();
    EXPECT_EQ(lan->MethodNames(), (Strings{L"EnableDHCP", L"SetDNSServerSearchOrder"}));
    EXPECT_EQ(lan->CallsTo(L"SetDNSServerSearchOrder")[0].args,
              std::vector<Variant>{Texts({L"1.1.1.1", L"8.8.8.8"})});
}

TEST_F(NetworkSettings, OkAppliesToTheChosenConnectionThenShowsTheFirstAgain) {
    auto lan = AddStaticAdapter(kLan, L"Ethernet");
    auto wifi = AddAdapter(kWifi, L"Wireless");
    Open();
    form->cmbInterfaces->UserSelect(1);
    EXPECT_TRUE(form->optIPAddress[0]->Value());
    form->cmdSave->UserClick();
    EXPECT_EQ(wifi->MethodNames(), Strings{L"EnableDHCP"});
    EXPECT_TRUE(lan->MethodNames().empty());
    EXPECT_EQ(form->cmbInterfaces->Items(), (Strings{L"Ethernet", L"Wireless"}));
    EXPECT_EQ(form->cmbInterfaces->ListIndex(), 0);
    EXPECT_EQ(form->txtIP->Text(), L"192.168.1.10");
    EXPECT_TRUE(form->optIPAddress[1]->Value());
}

// ---------------------------------------------------------------- statuses

TEST_F(NetworkSettings, StatusOneMeansDoneAtTheNextRestart) {
    auto lan = AddStaticAdapter(kLan, L"Ethernet");
    for (const wchar_t* method :
         {L"EnableDHCP", L"EnableStatic", L"SetGateways", L"SetDNSServerSearchOrder"})
        lan->OnCall(method, Status(1));
    Open();
    form->cmdSave->UserClick();
    EXPECT_EQ(lan->MethodNames(),
              (Strings{L"EnableStatic", L"SetGateways", L"SetDNSServerSearchOrder"}));
    form->optIPAddress[0]->UserClick();
    form->optDNS[1]->UserClick();
    Type(form->txtDNS1, L"10.0.0.2");
    form->cmdSave->UserClick();
    EXPECT_EQ(lan->CallCount(L"EnableDHCP"), 1);
    EXPECT_EQ(lan->CallCount(L"SetDNSServerSearchOrder"), 2);
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(NetworkSettings, ARefusedDhcpSwitchIsReportedAndTheDnsStepStillRuns) {
    auto lan = AddAdapter(kLan, L"Ethernet");
    lan->OnCall(L"EnableDHCP", Status(84));
    Open();
    form->optDNS[1]->UserClick();
    Type(form->txtDNS1, L"10.0.0.2");
    form->cmdSave->UserClick();
    EXPECT_EQ(Messages(), Strings{L"Failed to enable DHCP. Is the interface online ?"});
    EXPECT_EQ(shell.messages[0].style, 0);
    EXPECT_EQ(lan->MethodNames(), (Strings{L"EnableDHCP", L"SetDNSServerSearchOrder"}));
}

TEST_F(NetworkSettings, ARefusedAddressIsReportedWithItsStatusAndNoGatewayIsSent) {
    auto lan = AddStaticAdapter(kLan, L"Ethernet");
    lan->OnCall(L"EnableStatic", Status(70));
    Open();
    form->cmdSave->UserClick();
    EXPECT_EQ(Messages(), Strings{L"Failed to set the IP address. The error code was: 70"});
    EXPECT_EQ(shell.messages[0].style, 0);
    EXPECT_EQ(shell.messages[0].title, L"Quillon");
    EXPECT_EQ(lan->MethodNames(), (Strings{L"EnableStatic", L"SetDNSServerSearchOrder"}));
    EXPECT_EQ(form->cmbInterfaces->ListIndex(), 0);  // reloaded all the same
}

TEST_F(NetworkSettings, RefusedGatewayAndDnsListAreReportedInDecimal) {
    auto lan = AddStaticAdapter(kLan, L"Ethernet");
    lan->OnCall(L"SetGateways", Status(67));
    lan->OnCall(L"SetDNSServerSearchOrder", Status(303240));
    Open();
    form->cmdSave->UserClick();
    EXPECT_EQ(Messages(), (Strings{L"Failed to set the default gateway. The error code was: 67",
                                   L"Failed to set the DNS servers. The error code was: 303240"}));
    EXPECT_EQ(lan->MethodNames(),
              (Strings{L"EnableStatic", L"SetGateways", L"SetDNSServerSearchOrder"}));
}

TEST_F(NetworkSettings, MethodCallsThatFailOutrightAreReportedAndTheSaveGoesOn) {
    auto lan = AddStaticAdapter(kLan, L"Ethernet");
    lan->FailCall(L"EnableStatic", L"Not supported");
    lan->FailCall(L"SetDNSServerSearchOrder", L"Access denied");
    Open();
    form->cmdSave->UserClick();
    EXPECT_EQ(Messages(), (Strings{L"Failed to set the IP address. Not supported",
                                   L"Failed to set the DNS servers. Access denied"}));
    EXPECT_EQ(lan->CallCount(L"SetGateways"), 0);
    EXPECT_TRUE(form->IsLoaded());

    shell.messages.clear();
    lan->FailCall(L"EnableDHCP", L"Generic failure");
    lan->OnCall(L"SetDNSServerSearchOrder", Status(0));
    form->optIPAddress[0]->UserClick();
    form->optDNS[1]->UserClick();
    Type(form->txtDNS1, L"10.0.0.2");
    form->cmdSave->UserClick();
    EXPECT_EQ(Messages(), Strings{L"Failed to enable DHCP. Generic failure"});
    EXPECT_EQ(lan->CallCount(L"SetDNSServerSearchOrder"), 2);
}

TEST_F(NetworkSettings, AStatusThatIsNoNumberCountsAsAFailure) {
    auto lan = AddStaticAdapter(kLan, L"Ethernet");
    lan->OnCall(L"EnableStatic", Variant::Null());
    Open();
    form->cmdSave->UserClick();
    ASSERT_FALSE(shell.messages.empty());
    EXPECT_EQ(Messages()[0].rfind(L"Failed to set the IP address.", 0), 0u) << Messages()[0];
    EXPECT_EQ(lan->CallCount(L"SetGateways"), 0);
}

TEST_F(NetworkSettings, AnUnwritableNameServerIsReportedAndDhcpIsStillEnabled) {
    auto lan = AddStaticAdapter(kLan, L"Ethernet");
    Open();
    registry.MakeReadOnly(kHkeyLocalMachine, network::InterfaceKeyPath(kLan));
    form->optIPAddress[0]->UserClick();
    form->cmdSave->UserClick();
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(Messages()[0].rfind(L"Failed to clear the DNS servers. ", 0), 0u) << Messages()[0];
    EXPECT_EQ(lan->MethodNames(), Strings{L"EnableDHCP"});
    EXPECT_EQ(registry.OpenHandles(), 0);
}

}  // namespace
