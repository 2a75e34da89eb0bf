#include <gtest/gtest.h>

#include "app/Services.h"
#include "network/mdlWMINetwork.h"
#include "tests/support/FakeAutomation.h"
#include "tests/support/FakeRegistry.h"

namespace {

using sysaccess::kHkeyLocalMachine;

constexpr const wchar_t* kLan = L"{11111111-0000-0000-0000-000000000001}";
constexpr const wchar_t* kWifi = L"{22222222-0000-0000-0000-000000000002}";
constexpr const wchar_t* kSpare = L"{33333333-0000-0000-0000-000000000003}";

struct ConnectionNames : ::testing::Test {
    testing_support::FakeRegistry registry;
    testing_support::FakeObjectBinder binder;
    app::Services services;

    ConnectionNames() { services.registry = &registry; }

    void Name(const std::wstring& settingId, const std::wstring& name) {
        registry.SetString(kHkeyLocalMachine, network::ConnectionKeyPath(settingId), L"Name", name);
    }
};

TEST_F(ConnectionNames, KeyPathsAreTheAdapterClassAndTcpipInterfaceKeys) {
    EXPECT_EQ(network::ConnectionKeyPath(kLan),
              L"SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-"
              L"08002BE10318}\\{11111111-0000-0000-0000-000000000001}\\Connection");
    EXPECT_EQ(network::InterfaceKeyPath(kLan),
              L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\{11111111-"
              L"0000-0000-0000-000000000001}");
}

TEST_F(ConnectionNames, FindsTheIdentifierWithoutRegardToCase) {
    Name(kLan, L"Local Area Connection");
    Name(kWifi, L"Wireless");
    EXPECT_EQ(network::GetSettingIDForConnection(services, L"Wireless"), kWifi);
    EXPECT_EQ(network::GetSettingIDForConnection(services, L"LOCAL AREA connection"), kLan);
    EXPECT_EQ(network::GetSettingIDForConnection(services, L"\x041B\x0410\x041D"), L"");
    Name(kSpare, L"\x043B\x0430\x043D");  // Cyrillic "lan", lower case
    EXPECT_EQ(network::GetSettingIDForConnection(services, L"\x041B\x0410\x041D"), kSpare);
    Name(kSpare, L"r\x00E9seau \x00E9tendu");
    EXPECT_EQ(network::GetSettingIDForConnection(services, L"R\x00C9SEAU \x00C9TENDU"), kSpare);
    EXPECT_EQ(registry.OpenHandles(), 0);
}

TEST_F(ConnectionNames, MatchesWholeNamesOnlyWithoutTrimming) {
    Name(kLan, L"Ethernet");
    EXPECT_EQ(network::GetSettingIDForConnection(services, L"Ethernet "), L"");
    EXPECT_EQ(network::GetSettingIDForConnection(services, L"Ether"), L"");
    EXPECT_EQ(network::GetSettingIDForConnection(services, L"Ethernet 2"), L"");
}

TEST_F(ConnectionNames, TheFirstAdapterInEnumerationOrderWins) {
    Name(kWifi, L"Team");
    Name(kLan, L"team");
    EXPECT_EQ(network::GetSettingIDForConnection(services, L"TEAM"), kWifi);
}

TEST_F(ConnectionNames, SubkeysWithoutANameMatchOnlyTheEmptyName) {
    registry.CreateKey(kHkeyLocalMachine,
                       std::wstring(network::kNetworkClassKey) + L"\\Descriptions");
    Name(kLan, L"Ethernet");
    EXPECT_EQ(network::GetSettingIDForConnection(services, L""), L"Descriptions");
    EXPECT_EQ(network::GetSettingIDForConnection(services, L"Ethernet"), kLan);
}

TEST_F(ConnectionNames, NothingToEnumerateOrAnUnreadableRegistryFindsNothing) {
    EXPECT_EQ(network::GetSettingIDForConnection(services, L"Ethernet"), L"");
    Name(kLan, L"Ethernet");
    registry.DenyAccess(kHkeyLocalMachine, network::kNetworkClassKey);
    EXPECT_EQ(network::GetSettingIDForConnection(services, L"Ethernet"), L"");
    registry.DenyAccess(kHkeyLocalMachine, network::kNetworkClassKey, false);
    registry.FailEverything(5);
    EXPECT_EQ(network::GetSettingIDForConnection(services, L"Ethernet"), L"");
}

TEST_F(ConnectionNames, ConnectionNameOfAnAdapterObject) {
    Name(kLan, L"Ethernet");
    auto adapter = binder.NewObject(L"adapter");
    adapter->SetProperty(L"SettingID", kLan);
    EXPECT_EQ(network::GetConnectionName(services, *adapter), L"Ethernet");

    adapter->SetProperty(L"SettingID", kWifi);  // no registry entry
    EXPECT_EQ(network::GetConnectionName(services, *adapter), L"");
    Name(kWifi, L"");
    EXPECT_EQ(network::GetConnectionName(services, *adapter), L"");

    adapter->SetProperty(L"SettingID", sysaccess::Variant::Null());
    EXPECT_EQ(network::GetConnectionName(services, *adapter), L"");
    adapter->FailProperty(L"SettingID", L"Generic failure");
    EXPECT_EQ(network::GetConnectionName(services, *adapter), L"");
    EXPECT_EQ(registry.OpenHandles(), 0);
}

TEST_F(ConnectionNames, DnsIsAutomaticUnlessNameServerHoldsText) {
    const std::wstring key = network::InterfaceKeyPath(kLan);
    EXPECT_TRUE(network::IsDnsAutomatic(services, kLan));  // no key at all
    registry.CreateKey(kHkeyLocalMachine, key);
    EXPECT_TRUE(network::IsDnsAutomatic(services, kLan));  // no value
    registry.SetString(kHkeyLocalMachine, key, L"NameServer", L"");
    EXPECT_TRUE(network::IsDnsAutomatic(services, kLan));
    registry.SetString(kHkeyLocalMachine, key, L"NameServer", L"10.0.0.53");
    EXPECT_FALSE(network::IsDnsAutomatic(services, kLan));
    registry.SetString(kHkeyLocalMachine, key, L"NameServer", L" ");
    EXPECT_FALSE(network::IsDnsAutomatic(services, kLan));
    EXPECT_TRUE(network::IsDnsAutomatic(services, kWifi));
    registry.DenyAccess(kHkeyLocalMachine, key);
    EXPECT_TRUE(network::IsDnsAutomatic(services, kLan));
    registry.DenyAccess(kHkeyLocalMachine, key, false);
    registry.FailEverything(5);
    EXPECT_TRUE(network::IsDnsAutomatic(services, kLan));
}

}  // namespace
