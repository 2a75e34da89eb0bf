// The real program's main menu: its buttons, About, Exit (which closes the
// main window only) and the access keys, also as the soak. The MainMenu test
// also runs against the x86 build (tests/check-executable.sh).
#include <windows.h>
// After windows.h, which they need.
#include <gtest/gtest.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "tests/e2e/support/E2eDriver.h"

namespace {

TEST(MainMenu, AboutFromTheHelpMenuOutlivesExit) {
    e2e::QuillonProcess app;
    HWND main = app.MainWindow();
    ASSERT_NE(main, nullptr) << "no main window";
    e2e::PostMenuCommand(main, 0);  // Help > About, the menu's only item
    HWND about = app.WaitFor(L"About Quillon");
    ASSERT_NE(about, nullptr) << "no About box";
    e2e::Click(main, L"Exit");
    ASSERT_TRUE(e2e::WaitUntil([&] { return !::IsWindow(main); })) << "the main window stays";
    EXPECT_TRUE(::IsWindowVisible(about)) << "the About box went with the main window";
    e2e::Click(about, L"OK");
    EXPECT_EQ(::WaitForSingleObject(app.Handle(), 60000), WAIT_OBJECT_0)
        << "the program outlived its last window";
}

// The program's kernel handles, GDI objects and windows, counted by hand, as
// Wine stubs GetProcessHandleCount and GetGuiResources: the handle values that
// DuplicateHandle accepts, less registry keys, which Wine's "winmgmts:"
// moniker leaves open on every bind that Network Settings makes (the native
// tests count the program's keys); the used entries of the GDI handle table
// that the process environment block points to (64-bit layout: 24-byte
// entries, the type in the top half of the fourth 32-bit word, 0 when free).
std::vector<long> Count(const e2e::QuillonProcess& app) {
    HANDLE process = app.Handle();
    std::vector<long> counts(3);
    for (UINT_PTR value = 4, misses = 0; misses < 4096; value += 4) {
        HANDLE copy = nullptr;
        const bool open = ::DuplicateHandle(process, HANDLE(value), ::GetCurrentProcess(), &copy, 0,
                                            FALSE, DUPLICATE_SAME_ACCESS);
        misses = open ? 0 : misses + 1;
        if (open && ::RegQueryValueExW(HKEY(copy), nullptr, nullptr, nullptr, nullptr, nullptr) ==
                        ERROR_INVALID_HANDLE)
            ++counts[0];
        if (open) ::CloseHandle(copy);
    }
    PROCESS_BASIC_INFORMATION basic{};
    ::NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, nullptr);
    UINT64 table = 0;
    std::vector<ULONG> words(0x10000 * 6);
    ::ReadProcessMemory(process, PBYTE(basic.PebBaseAddress) + 0xF8, &table, sizeof table, nullptr);
    ::ReadProcessMemory(process, PVOID(table), words.data(), words.size() * 4, nullptr);
    for (std::size_t word = 3; word < words.size(); word += 6) counts[1] += words[word] >> 16 != 0;
    for (HWND top : e2e::Children(nullptr)) {  // hidden ones too
        DWORD owner = 0;
        ::GetWindowThreadProcessId(top, &owner);
        counts[2] += owner == ::GetProcessId(process) ? 1 + long(e2e::Children(top).size()) : 0;
    }
    return counts;
}

// Once two readings agree, not while a child or a window goes away.
std::vector<long> Settled(const e2e::QuillonProcess& app) {
    std::vector<long> last, now;
    e2e::WaitUntil([&] { return (last = std::exchange(now, Count(app))) == now; });
    return now;
}

// The program's message loop turns the key into WM_SYSCHAR for the system's
// dialog manager, which presses the button with that (upper-case) access key.
void PressAltKey(HWND window, char letter) {
    const LPARAM down = 1 | LPARAM(::MapVirtualKeyW(letter, MAPVK_VK_TO_VSC)) << 16 | 1 << 29;
    ::PostMessageW(window, WM_SYSKEYDOWN, letter, down);
    ::PostMessageW(window, WM_SYSKEYUP, letter, down | LPARAM(0xC0000000u));
}

// "&DCPROMO" is greyed, so D goes to "&Display"; F, which "&Features" shares,
// goes to the first of the two in tab order.
const std::pair<char, const wchar_t*> kAccessKeys[] = {
    {'U', L"Account Management"},      {'N', L"Network Settings"},      {'D', L"Display Settings"},
    {'F', L"Firewall Configuration"},  {'C', L"Computer Name Changes"}, {'W', L"WinRM"},
    {'R', L"Remote Desktop Settings"},
};

// Also the soak (scripts/soak.sh): QUILLON_SOAK_ROUNDS rounds (2 by default)
// in one process, whose counts may not grow by 2 % or more from the end of
// the first round (which loads what loads once) to the end of the last.
TEST(Keyboard, AltAndTheAccessKeyOpenEachDialogAndLeaveNothingBehind) {
    const char* text = std::getenv("QUILLON_SOAK_ROUNDS");
    const int rounds = std::max(2, std::atoi(text ? text : "2"));
    e2e::QuillonProcess app({L"control.exe"});
    HWND main = app.MainWindow();
    ASSERT_NE(main, nullptr);
    std::vector<long> first;
    for (int round = 1; round <= rounds; ++round) {
        for (const auto& [letter, caption] : kAccessKeys) {
            SCOPED_TRACE(std::string("Alt+") + letter + " in round " + std::to_string(round));
            PressAltKey(main, letter);
            HWND dialog = app.WaitFor(caption);
            ASSERT_NE(dialog, nullptr);
            e2e::Close(dialog);  // before the next key, which is queued after it
        }
        PressAltKey(main, 'T');  // hands over to the system's applet
        ASSERT_TRUE(e2e::WaitUntil([&] {
            return app.ToolRuns() == std::vector<std::string>(round, "control.exe timedate.cpl");
        }));
        // The soak opens what has no access key of its own too.
        e2e::Close(app.OpenFromMainMenu(L"&Features", L"Server Features and Roles"));
        e2e::PostMenuCommand(main, 0);  // Help > About
        e2e::Close(app.WaitFor(L"About Quillon"));
        if (round == 1) first = Settled(app);
    }
    const std::vector<long> last = Settled(app);
    std::printf(
        "[soak] %d rounds: handles %ld -> %ld, GDI objects %ld -> %ld, windows %ld -> %ld\n",
        rounds, first[0], last[0], first[1], last[1], first[2], last[2]);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_GT(first[i], 0) << "counter " << i << " counts nothing";
        EXPECT_LT(last[i] - first[i], std::max(1L, first[i] / 50)) << "counter " << i;
    }
}

}  // namespace
