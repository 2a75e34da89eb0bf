// The late-bound binder on the real system: arguments and results keep their types, every
// failure carries a text. (The windows' monikers are the real program's, end to end.)
#include <windows.h>
#include <gtest/gtest.h>

#include <functional>

#include "sysaccess/VbError.h"
#include "win32/Win32Automation.h"
#include "win32/Win32Identity.h"

namespace {

using sysaccess::Variant;

struct Binder : ::testing::Test {
    win32::Win32ObjectBinder binder;
    const std::wstring computer = win32::Win32Identity().ComputerName();
    const std::wstring cimv2 =
        L"winmgmts:{impersonationLevel=impersonate}!\\\\" + computer + L"\\root\\cimv2";
};

TEST_F(Binder, ArgumentsAndResultsKeepTheirTypes) {
    auto dictionary = binder.Bind(L"new:Scripting.Dictionary");
    dictionary->Put(L"CompareMode", Variant(1));  // keys then match whatever their letter case
    const Variant::Array list{Variant(L"10.0.0.1"), Variant(std::int16_t{35}), Variant(-7),
                              Variant(true), Variant::Null()};
    const std::pair<const wchar_t*, Variant> entries[] = {{L"list", Variant(list)},
                                                          {L"flags", Variant(std::int16_t{35})},
                                                          {L"none", Variant::Null()},
                                                          {L"text", Variant(L"by reference")}};
    for (const auto& [key, value] : entries) dictionary->Call(L"Add", {Variant(key), value});
    for (const auto& [key, value] : entries)
        EXPECT_TRUE(dictionary->Call(L"Item", {Variant(key)}) == value) << key;
    EXPECT_TRUE(dictionary->Call(L"Exists", {Variant(L"TEXT")}) == Variant(true));
    EXPECT_TRUE(dictionary->Call(L"Keys", {}) ==
                Variant(Variant::Array{Variant(L"list"), Variant(L"flags"), Variant(L"none"),
                                       Variant(L"text")}));
}

TEST_F(Binder, EveryFailureCarriesADescription) {
    const std::function<void()> failures[] = {
        // the first two with the system's own text
        [&] { binder.Bind(cimv2)->Get(L"NoSuchPropertyAnywhere"); },
        [&] {
            binder.Bind(cimv2 + L":Win32_ComputerSystem.Name='" + computer + L"'")
                ->Call(L"Rename", {Variant(L"NEW"), Variant(L"1"), Variant(L"1")});
        },
        [&] { binder.Bind(cimv2)->Items(); },  // no collection
        [&] { binder.Bind(L"no such moniker::"); },
        [&] { binder.Bind(L"WinNT://" + computer + L"/Administrator,user"); },  // Wine has none
        [&] {
            auto dictionary = binder.Bind(L"new:Scripting.Dictionary");
            dictionary->Call(L"Add", {Variant(L"k"), Variant(1)});
            dictionary->Call(L"Add", {Variant(L"k"), Variant(2)});
        },
    };
    for (const auto& failure : failures) {
        try {
            failure();
            ADD_FAILURE() << "no failure from case " << &failure - failures;
        } catch (const sysaccess::VbError& e) {
            EXPECT_NE(e.Number(), 0);
            EXPECT_FALSE(e.Description().empty());
            EXPECT_TRUE(&failure - failures >= 2 || e.Description().rfind(L"Automation error", 0))
                << &failure - failures;
        }
    }
    EXPECT_EQ(win32::DescribeHresult(E_ACCESSDENIED).find(L"\r\n"), std::wstring::npos);
    EXPECT_EQ(win32::DescribeHresult(static_cast<long>(0x80020006ul)), L"Unknown name.");
    EXPECT_EQ(win32::DescribeHresult(0x12345678), L"Automation error 0x12345678");
}

}  // namespace
