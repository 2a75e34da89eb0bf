// The Network Settings dialog against Wine's own management instrumentation
// and registry: the adapters Wine reports, connection names seeded under their
// SettingIDs, and a save that reaches a configuration method Wine lacks.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/Services.h"
#include "network/frmNetworkSettings.h"
#include "network/mdlWMINetwork.h"
#include "tests/support/TestShell.h"
#include "win32/Win32Automation.h"
#include "win32/Win32Identity.h"
#include "win32/Win32Registry.h"

namespace {

using sysaccess::Variant;

constexpr const wchar_t* kAllAdapters =
    L"SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True";

// Registry keys this test created under HKEY_LOCAL_MACHINE; deleted again,
// deepest first, when the object goes (whatever the test's outcome).
class SeededKeys {
  public:
    SeededKeys() = default;
    SeededKeys(const SeededKeys&) = delete;
    SeededKeys& operator=(const SeededKeys&) = delete;
    ~SeededKeys() {
        for (auto it = created_.rbegin(); it != created_.rend(); ++it)
            RegDeleteKeyW(HKEY_LOCAL_MACHINE, it->c_str());
    }

    // Creates every missing component of path, remembering what it created,
    // and stores the text value.
    bool SetText(const std::wstring& path, const std::wstring& name, const std::wstring& text) {
        std::size_t pos = 0;
        while (pos != std::wstring::npos) {
            pos = path.find(L'\\', pos + 1);
            const std::wstring partial = path.substr(0, pos);
            win32::RegistryKeyHandle probe;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, partial.c_str(), 0, KEY_READ, probe.out()) ==
                ERROR_SUCCESS)
                continue;
            win32::RegistryKeyHandle made;
            if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, partial.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, made.out(), nullptr) != ERROR_SUCCESS)
                return false;
            created_.push_back(partial);
        }
        win32::RegistryKeyHandle key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_SET_VALUE, key.out()) !=
            ERROR_SUCCESS)
            return false;
        const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
        return RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(text.c_str()), bytes) == ERROR_SUCCESS;
    }

  private:
    std::vector<std::wstring> created_;
};

std::vector<std::wstring> TextsOf(const Variant& value) {
    std::vector<std::wstring> texts;
    if (value.IsArray())
        for (const Variant& v : value.ArrayValue()) texts.push_back(v.ToText());
    return texts;
}

struct WineAdapter {
    std::wstring settingId;
    bool dhcp = false;
    std::vector<std::wstring> addresses;
    std::vector<std::wstring> masks;
};

struct NetworkSettingsUnderWine : ::testing::Test {
    testing_support::TestShell shell;
    win32::Win32RegistryBackend registry;
    win32::Win32ObjectBinder objects;
    win32::Win32Identity identity;
    app::Services services;
    SeededKeys seeded;

    NetworkSettingsUnderWine() {
        services.shell = &shell;
        services.registry = &registry;
        services.objects = &objects;
        services.identity = &identity;
    }

    // What Wine's instrumentation reports, read directly.
    std::vector<WineAdapter> QueryAdapters() {
        std::vector<WineAdapter> found;
        auto cimv2 = objects.Bind(network::NetworkNamespaceMoniker(identity.ComputerName()));
        auto result = cimv2->Call(L"ExecQuery", {Variant(kAllAdapters)});
        for (const auto& item : result.Object()->Items())
            found.push_back({item->Get(L"SettingID").ToText(), item->Get(L"DHCPEnabled").ToBool(),
                             TextsOf(item->Get(L"IpAddress")), TextsOf(item->Get(L"IPSubnet"))});
        return found;
    }

    // Seeds "Quillon test N" for every adapter; returns the adapters.
    std::vector<WineAdapter> NameAdapters() {
        std::vector<WineAdapter> adapters = QueryAdapters();
        for (std::size_t i = 0; i < adapters.size(); ++i) {
            EXPECT_TRUE(seeded.SetText(network::ConnectionKeyPath(adapters[i].settingId), L"Name",
                                       L"Quillon test " + std::to_wstring(i + 1)));
        }
        return adapters;
    }
};

TEST_F(NetworkSettingsUnderWine, TheQueryReturnsWinesAdaptersWithIdentifiers) {
    const std::vector<WineAdapter> adapters = QueryAdapters();
    ASSERT_FALSE(adapters.empty()) << "Wine reported no IP-enabled adapter";
    for (const auto& adapter : adapters) {
        EXPECT_EQ(adapter.settingId.size(), 38u) << adapter.settingId;
        EXPECT_EQ(adapter.settingId.front(), L'{');
        EXPECT_EQ(adapter.settingId.back(), L'}');
    }
    // Without connection names nothing is offered.
    auto form = ui::NewForm<network::frmNetworkSettings>(services);
    form->Load();
    EXPECT_EQ(form->cmbInterfaces->ListCount(), 0);
    EXPECT_TRUE(shell.messages.empty()) << shell.LastMessage();
    form->Unload();
}

TEST_F(NetworkSettingsUnderWine, SeededConnectionNamesAreListedWithTheirRealAddresses) {
    const std::vector<WineAdapter> adapters = NameAdapters();
    ASSERT_FALSE(adapters.empty());
    EXPECT_EQ(network::GetSettingIDForConnection(services, L"QUILLON TEST 1"),
              adapters[0].settingId);

    auto form = ui::NewForm<network::frmNetworkSettings>(services);
    form->Load();
    ASSERT_TRUE(shell.messages.empty()) << shell.LastMessage();
    ASSERT_EQ(form->cmbInterfaces->ListCount(), static_cast<int>(adapters.size()));
    for (std::size_t i = 0; i < adapters.size(); ++i)
        EXPECT_EQ(form->cmbInterfaces->List(static_cast<int>(i)),
                  L"Quillon test " + std::to_wstring(i + 1));
    EXPECT_EQ(form->cmbInterfaces->ListIndex(), 0);

    // Each connection as Wine describes it. Choosing the static address loads
    // the current values: the first IPv4 address with the mask at its
    // position, never one of the IPv6 addresses Wine lists before it.
    int withIPv4 = 0;
    for (std::size_t i = 0; i < adapters.size(); ++i) {
        const WineAdapter& adapter = adapters[i];
        SCOPED_TRACE(adapter.settingId);
        form->cmbInterfaces->UserSelect(static_cast<int>(i));
        EXPECT_EQ(form->optIPAddress[0]->Value(), adapter.dhcp);
        form->optIPAddress[1]->UserClick();
        std::size_t position = 0;
        while (position < adapter.addresses.size() &&
               adapter.addresses[position].find(L':') != std::wstring::npos)
            ++position;
        if (position < adapter.addresses.size()) {
            ++withIPv4;
            EXPECT_EQ(form->txtIP->Text(), adapter.addresses[position]);
            ASSERT_LT(position, adapter.masks.size());
            EXPECT_EQ(form->txtSubnetMask->Text(), adapter.masks[position]);
        } else {
            EXPECT_EQ(form->txtIP->Text(), L"");
        }
        for (ui::TextBox* box :
             {form->txtIP, form->txtSubnetMask, form->txtGateway, form->txtDNS1, form->txtDNS2})
            EXPECT_TRUE(network::IsValidIPAddress(box->Text()))
                << box->Name() << L": " << box->Text();
        EXPECT_TRUE(form->optDNS[1]->Value());
        form->optIPAddress[0]->UserClick();
    }
    EXPECT_GT(withIPv4, 0) << "no adapter with an IPv4 address under Wine";
    EXPECT_TRUE(shell.messages.empty()) << shell.LastMessage();
    form->Unload();
}

TEST_F(NetworkSettingsUnderWine, OkWithAStaticAddressReportsTheMissingMethodAndCarriesOn) {
    ASSERT_FALSE(NameAdapters().empty());
    auto form = ui::NewForm<network::frmNetworkSettings>(services);
    form->Load();
    ASSERT_EQ(form->cmbInterfaces->ListIndex(), 0);
    form->optIPAddress[1]->UserClick();
    form->txtIP->UserSetText(L"192.0.2.200");
    form->txtSubnetMask->UserSetText(L"255.255.255.0");
    form->txtGateway->UserSetText(L"");
    form->txtDNS1->UserSetText(L"192.0.2.53");
    form->txtDNS2->UserSetText(L"");
    shell.messages.clear();
    form->cmdSave->UserClick();
    ASSERT_FALSE(shell.messages.empty());
    const std::wstring first = shell.messages[0].text;
    EXPECT_EQ(first.rfind(L"Failed to set the IP address. ", 0), 0u) << first;
    EXPECT_GT(first.size(), std::wstring(L"Failed to set the IP address. ").size()) << first;
    EXPECT_EQ(shell.messages[0].style, 0);
    for (const auto& m : shell.messages)
        EXPECT_EQ(m.text.find(L"Run-time error"), std::wstring::npos) << m.text;
    // The dialog reloaded and still works.
    EXPECT_TRUE(form->IsLoaded());
    EXPECT_EQ(form->cmbInterfaces->ListIndex(), 0);
    form->cmdCancel->UserClick();
    EXPECT_FALSE(form->IsLoaded());
}

}  // namespace
