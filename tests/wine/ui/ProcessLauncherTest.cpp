// A process that cannot start is told (starting one is the real program's, end to end); the
// system's letter case maps Latin, Greek and Cyrillic as the native stand-in does.
#include <windows.h>
#include <gtest/gtest.h>

#include "sysaccess/TextCase.h"
#include "win32/Win32ProcessLauncher.h"

namespace {

TEST(ProcessLauncher, TellsAProgramThatCannotStart) {
    EXPECT_FALSE(
        win32::Win32ProcessLauncher().StartDetached(L"no-such-program-q7.exe /x", SW_SHOWNORMAL));
}

TEST(LetterCase, TheSystemsMappingAsTheNativeStandIn) {
    for (auto [lower, upper] : {std::pair{L"é", L"É"}, {L"ж", L"Ж"}, {L"σ", L"Σ"}}) {
        EXPECT_EQ(sysaccess::ToUpper(lower), upper);
        EXPECT_EQ(sysaccess::ToLower(upper), lower);
        EXPECT_TRUE(sysaccess::EqualsIgnoreCase(lower, upper));
    }
    EXPECT_EQ(sysaccess::ToUpper(L"ςıſ"), L"ςıſ");  // their capitals lower to other letters
    EXPECT_FALSE(sysaccess::EqualsIgnoreCase(L"E", L"É"));
}

}  // namespace
