// Starting a process without waiting for it.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "win32/Win32ProcessLauncher.h"

namespace {

std::wstring TempFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name + std::to_wstring(::GetCurrentProcessId()) + L".txt";
}

bool WaitForFile(const std::wstring& path) {
    for (int i = 0; i < 400; ++i) {
        if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        ::Sleep(25);
    }
    return false;
}

TEST(ProcessLauncher, StartsTheCommandLineAndReturnsWithoutWaiting) {
    const std::wstring marker = TempFile(L"quillon-launch-");
    ::DeleteFileW(marker.c_str());
    win32::Win32ProcessLauncher launcher;
    // The child waits a moment before it writes, so a launcher that waited
    // would find the file already there.
    const std::wstring command =
        L"cmd.exe /c ping -n 2 127.0.0.1 >nul & echo started> \"" + marker + L"\"";
    ASSERT_TRUE(launcher.StartDetached(command, SW_HIDE));
    EXPECT_EQ(::GetFileAttributesW(marker.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(WaitForFile(marker));
    ::Sleep(200);
    ::DeleteFileW(marker.c_str());
}

TEST(ProcessLauncher, ReportsAProgramThatDoesNotExist) {
    win32::Win32ProcessLauncher launcher;
    EXPECT_FALSE(launcher.StartDetached(L"no-such-program-q7.exe /x", SW_SHOWNORMAL));
    EXPECT_FALSE(launcher.StartDetached(L"", SW_HIDE));
}

}  // namespace
