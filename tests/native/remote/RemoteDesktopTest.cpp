#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "remote/frmTS.h"
#include "tests/fakes/World.h"

namespace {

using sysaccess::kHkeyLocalMachine;
using sysaccess::Variant;

const std::wstring kServer = L"System\\CurrentControlSet\\Control\\Terminal Server";
const std::wstring kRdpTcp = kServer + L"\\Winstations\\RDP-Tcp";
const std::wstring kDeny = L"fDenyTSConnections";
const std::wstring kAuth = L"UserAuthentication";
const Variant kAbsent{};

const std::wstring kDenyNotSaved =
    L"The Remote Desktop settings were not saved: the registry value \"fDenyTSConnections\" in "
    L"\"HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Terminal Server\" could not be "
    L"written.";
const std::wstring kAuthPartlySaved =
    L"The Remote Desktop settings were only partly saved: \"Allow Remote Administration "
    L"Connections\" was saved, but \"Allow Connections from previous versions of Windows\" was "
    L"not: the registry value \"UserAuthentication\" in \"HKEY_LOCAL_MACHINE\\System\\"
    L"CurrentControlSet\\Control\\Terminal Server\\Winstations\\RDP-Tcp\" could not be written.";

struct Case {
    const char* name;
    Variant deny, auth;    // as stored
    int tsBox, legacyBox;  // as loaded
    bool clickTS, clickLegacy;
    // A value the registry will not let be written; a key that cannot even be opened.
    std::wstring refusedValue, deniedKey;
    std::wstring writes;   // "deny=… auth=…" in order
    std::wstring message;  // the only one shown; none when empty
};

const Case kCases[] = {
    {"both 1", 1, 1, 0, 0, false, false, L"", L"", L"deny=1 auth=1", L""},
    {"both absent", kAbsent, kAbsent, 1, 1, false, false, L"", L"", L"deny=0 auth=0", L""},
    {"any nonzero counts as 1", 2, 0, 0, 1, false, false, L"", L"", L"deny=1 auth=0", L""},
    {"boxes inverted", 0, 1, 1, 0, true, true, L"", L"", L"deny=1 auth=0", L""},
    {"texts by their number", L"0", L"no number", 1, 0, false, false, L"", L"", L"deny=0 auth=1",
     L""},
    {"first refused", 1, 1, 0, 0, false, false, kDeny, L"", L"", kDenyNotSaved},
    {"key unreadable", 1, kAbsent, 1, 1, false, false, L"", kServer, L"", kDenyNotSaved},
    {"second refused", 1, 1, 0, 0, true, false, kAuth, L"", L"deny=0", kAuthPartlySaved},
};

TEST(RemoteDesktop, StoredValuesBoxesWritesAndMessages) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        fakes::World w;
        for (const auto& [key, name, stored] :
             {std::tuple{kServer, kDeny, c.deny}, {kRdpTcp, kAuth, c.auth}}) {
            if (stored.IsText()) w.registry.SetString(kHkeyLocalMachine, key, name, stored.Text());
            if (stored.IsInteger())
                w.registry.SetDword(kHkeyLocalMachine, key, name, stored.ToInt32());
        }
        if (!c.refusedValue.empty())
            w.registry.Refuse(kHkeyLocalMachine, c.refusedValue == kDeny ? kServer : kRdpTcp,
                              c.refusedValue);
        if (!c.deniedKey.empty()) w.registry.Deny(kHkeyLocalMachine, c.deniedKey);

        auto form = w.Open<remote::frmTS>(L"frmTS");
        ASSERT_TRUE(form);
        EXPECT_EQ(form->chkTSEnabled->Value(), c.tsBox);
        EXPECT_EQ(form->chkLegacyTSEnabled->Value(), c.legacyBox);
        EXPECT_TRUE(w.registry.writes.empty()) << "opening writes nothing";

        if (c.clickTS) form->chkTSEnabled->UserClick();
        if (c.clickLegacy) form->chkLegacyTSEnabled->UserClick();
        form->cmdSave->UserClick();

        std::wstring writes, shown;
        for (const auto& write : w.registry.writes) {
            EXPECT_EQ(write.type, sysaccess::kRegDword);
            EXPECT_EQ(write.path, L"80000002\\" + (write.name == kDeny ? kServer : kRdpTcp));
            const auto value =
                w.registry.GetDword(kHkeyLocalMachine, write.path.substr(9), write.name);
            writes += std::wstring(writes.empty() ? L"" : L" ") +
                      (write.name == kDeny ? L"deny=" : L"auth=") + std::to_wstring(*value);
        }
        EXPECT_EQ(writes, c.writes);
        for (const auto& m : w.shell.messages) {
            shown += m.text;
            EXPECT_EQ(m.style, ui::kMbIconCritical);
        }
        EXPECT_EQ(shown, c.message);
        EXPECT_EQ(form->IsLoaded(), !c.message.empty()) << "closes only when both were saved";
        EXPECT_EQ(w.registry.OpenKeys(), 0);
    }
}

}  // namespace
