#include <gtest/gtest.h>

#include "app/FormCatalog.h"
#include "app/Services.h"
#include "remote/frmTS.h"
#include "sysaccess/IRegistryBackend.h"
#include "tests/support/FakeRegistry.h"
#include "tests/support/TestShell.h"

namespace {

using remote::frmTS;
using sysaccess::kHkeyLocalMachine;

const std::wstring kServer = L"System\\CurrentControlSet\\Control\\Terminal Server";
const std::wstring kRdpTcp =
    L"System\\CurrentControlSet\\Control\\Terminal Server\\Winstations\\RDP-Tcp";

struct RemoteDesktop : ::testing::Test {
    testing_support::TestShell shell;
    testing_support::FakeRegistry registry;
    app::Services services;

    void SetUp() override {
        services.shell = &shell;
        services.registry = &registry;
        services.catalog = &app::FormCatalog::Default();
    }
    void TearDown() override { EXPECT_EQ(registry.OpenHandles(), 0); }

    std::shared_ptr<frmTS> Open() {
        auto form = std::dynamic_pointer_cast<frmTS>(app::OpenModeless(services, L"frmTS"));
        EXPECT_TRUE(form) << "frmTS is registered in the catalog";
        return form;
    }
    std::optional<std::uint32_t> Deny() const {
        return registry.GetDword(kHkeyLocalMachine, kServer, L"fDenyTSConnections");
    }
    std::optional<std::uint32_t> Auth() const {
        return registry.GetDword(kHkeyLocalMachine, kRdpTcp, L"UserAuthentication");
    }
};

TEST_F(RemoteDesktop, WindowLayout) {
    auto form = Open();
    EXPECT_EQ(form->Caption(), L"Remote Desktop Settings");
    EXPECT_EQ(form->clientWidth, 5295);
    EXPECT_EQ(form->clientHeight, 2175);
    EXPECT_EQ(form->chkTSEnabled->Caption(), L"Allow Remote Administration Connections");
    EXPECT_EQ(form->chkLegacyTSEnabled->Caption(),
              L"Allow Connections from previous versions of Windows");
    EXPECT_EQ(form->cmdSave->Caption(), L"&Save");
    EXPECT_EQ(form->chkLegacyTSEnabled->bounds.top, 720);
    EXPECT_EQ(form->cmdSave->bounds.left, 1200);
    auto order = form->TabOrder();
    EXPECT_EQ(order[0], form->chkTSEnabled);
    EXPECT_EQ(order[1], form->chkLegacyTSEnabled);
    EXPECT_EQ(order[2], form->cmdSave);
}

TEST_F(RemoteDesktop, BothOneOpensUntickedAndSavesOneAndOneAgain) {
    registry.SetDword(kHkeyLocalMachine, kServer, L"fDenyTSConnections", 1);
    registry.SetDword(kHkeyLocalMachine, kRdpTcp, L"UserAuthentication", 1);
    auto form = Open();
    EXPECT_EQ(form->chkTSEnabled->Value(), 0);
    EXPECT_EQ(form->chkLegacyTSEnabled->Value(), 0);
    form->cmdSave->UserClick();
    EXPECT_EQ(Deny(), 1u);
    EXPECT_EQ(Auth(), 1u);
    ASSERT_EQ(registry.writes.size(), 2u) << "both values are written on every save";
    EXPECT_EQ(registry.writes[0].name, L"fDenyTSConnections");
    EXPECT_EQ(registry.writes[0].type, sysaccess::kRegDword);
    EXPECT_EQ(registry.writes[1].name, L"UserAuthentication");
    EXPECT_FALSE(form->IsLoaded()) << "Save closes the window";
    EXPECT_TRUE(shell.messages.empty()) << "no message on success";
}

TEST_F(RemoteDesktop, MissingValuesOpenTickedAndSavingCreatesKeysAndValues) {
    auto form = Open();
    EXPECT_EQ(form->chkTSEnabled->Value(), 1);
    EXPECT_EQ(form->chkLegacyTSEnabled->Value(), 1);
    EXPECT_FALSE(registry.HasKey(kHkeyLocalMachine, kServer)) << "loading writes nothing";
    form->cmdSave->UserClick();
    EXPECT_EQ(Deny(), 0u);
    EXPECT_EQ(Auth(), 0u);
}

TEST_F(RemoteDesktop, AnyNonzeroValueUnticksAndIsRewrittenAsOne) {
    registry.SetDword(kHkeyLocalMachine, kServer, L"fDenyTSConnections", 2);
    registry.SetDword(kHkeyLocalMachine, kRdpTcp, L"UserAuthentication", 0);
    auto form = Open();
    EXPECT_EQ(form->chkTSEnabled->Value(), 0);
    EXPECT_EQ(form->chkLegacyTSEnabled->Value(), 1);
    form->cmdSave->UserClick();
    EXPECT_EQ(Deny(), 1u);
    EXPECT_EQ(Auth(), 0u);
}

TEST_F(RemoteDesktop, BoxesAreInvertedAgainstTheirValues) {
    registry.SetDword(kHkeyLocalMachine, kServer, L"fDenyTSConnections", 0);
    registry.SetDword(kHkeyLocalMachine, kRdpTcp, L"UserAuthentication", 1);
    auto form = Open();
    EXPECT_EQ(form->chkTSEnabled->Value(), 1);
    EXPECT_EQ(form->chkLegacyTSEnabled->Value(), 0);
    form->chkTSEnabled->UserClick();        // now unticked: deny connections
    form->chkLegacyTSEnabled->UserClick();  // now ticked: older clients allowed
    form->cmdSave->UserClick();
    EXPECT_EQ(Deny(), 1u);
    EXPECT_EQ(Auth(), 0u);
}

TEST_F(RemoteDesktop, ValuesOfOtherTypesAreJudgedByTheirNumber) {
    registry.SetString(kHkeyLocalMachine, kServer, L"fDenyTSConnections", L"0");
    registry.SetString(kHkeyLocalMachine, kRdpTcp, L"UserAuthentication", L"no number");
    auto form = Open();
    EXPECT_EQ(form->chkTSEnabled->Value(), 1);
    EXPECT_EQ(form->chkLegacyTSEnabled->Value(), 0);
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(RemoteDesktop, ClosingWithoutSavingWritesNothing) {
    auto form = Open();
    form->chkTSEnabled->UserClick();
    shell.UserClose(*form);
    EXPECT_TRUE(registry.writes.empty());
}

TEST_F(RemoteDesktop, RefusedFirstWriteNamesTheValueKeepsTheSecondAndStaysOpen) {
    registry.SetDword(kHkeyLocalMachine, kServer, L"fDenyTSConnections", 1);
    registry.MakeReadOnly(kHkeyLocalMachine, kServer);
    auto form = Open();
    form->cmdSave->UserClick();
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text,
              L"The Remote Desktop settings were not saved: the registry value "
              L"\"fDenyTSConnections\" in \"HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\"
              L"Control\\Terminal Server\" could not be written.");
    EXPECT_EQ(shell.messages[0].style, 16);
    EXPECT_TRUE(registry.writes.empty());
    EXPECT_FALSE(registry.HasValue(kHkeyLocalMachine, kRdpTcp, L"UserAuthentication"));
    EXPECT_TRUE(form->IsLoaded());

    // After the administrator fixes the permissions, saving again works.
    registry.MakeReadOnly(kHkeyLocalMachine, kServer, false);
    form->cmdSave->UserClick();
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_EQ(registry.writes.size(), 2u);
}

TEST_F(RemoteDesktop, RefusedSecondWriteNamesTheSecondValue) {
    registry.CreateKey(kHkeyLocalMachine, kRdpTcp);
    registry.DenyAccess(kHkeyLocalMachine, kRdpTcp);
    auto form = Open();
    form->cmdSave->UserClick();
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_NE(shell.messages[0].text.find(L"\"UserAuthentication\""), std::wstring::npos);
    EXPECT_NE(shell.messages[0].text.find(L"RDP-Tcp"), std::wstring::npos);
    EXPECT_EQ(Deny(), 0u) << "the first value was written before";
    EXPECT_TRUE(form->IsLoaded());
}

TEST_F(RemoteDesktop, UnreadableRegistryOpensTickedWithoutAMessage) {
    registry.FailEverything(5);
    auto form = Open();
    EXPECT_EQ(form->chkTSEnabled->Value(), 1);
    EXPECT_EQ(form->chkLegacyTSEnabled->Value(), 1);
    EXPECT_TRUE(shell.messages.empty());
    form->cmdSave->UserClick();
    EXPECT_EQ(shell.messages.size(), 1u);
    EXPECT_TRUE(form->IsLoaded());
    registry.FailEverything(0);
}

}  // namespace
