// The real program's main menu: its buttons, About, Exit (which closes the
// main window only) and the access keys. The MainMenu test also runs against
// the x86 build (tests/check-executable.sh), so it stays small.
#include <windows.h>
// After windows.h, which they need.
#include <gtest/gtest.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "tests/e2e/support/E2eDriver.h"

namespace {

TEST(MainMenu, AboutFromTheHelpMenuOutlivesExit) {
    e2e::QuillonProcess app;
    HWND main = app.MainWindow();
    ASSERT_NE(main, nullptr) << "no main window";
    std::vector<std::wstring> buttons;
    for (HWND button : e2e::Children(main, L"Button"))
        buttons.push_back(e2e::Text(button) + (::IsWindowEnabled(button) ? L"" : L" (greyed)"));
    EXPECT_EQ(buttons, (std::vector<std::wstring>{
                           L"&Display", L"&Time Zone", L"&RDP", L"&Users&&Groups", L"&Firewall",
                           L"&WinRM", L"&Networking", L"&Computer Name", L"&Features",
                           L"&DCPROMO (greyed)", L"Shutdown", L"Reboot", L"Exit"}));
    e2e::PostMenuCommand(main, 0);  // Help > About, the menu's only item
    HWND about = app.WaitForWindow(L"About Quillon");
    ASSERT_NE(about, nullptr) << "no About box";
    e2e::Click(e2e::FindChild(main, L"Exit"));
    ASSERT_TRUE(e2e::WaitUntil([&] { return !::IsWindow(main); })) << "the main window stays";
    EXPECT_TRUE(::IsWindowVisible(about)) << "the About box went with the main window";
    e2e::Click(e2e::FindChild(about, L"OK"));
    EXPECT_EQ(app.WaitForExit(), 0u) << "the program outlived its last window";
}

// Wine stubs GetProcessHandleCount and GetGuiResources, so the counts are
// taken by hand: the handle values that DuplicateHandle accepts, less
// registry keys (Wine's "winmgmts:" moniker leaves keys open on every bind,
// which Network Settings makes whenever it opens; the native tests count the
// program's own keys), the used entries of the GDI handle table that the
// process environment block points to (64-bit layout: 24-byte entries, the
// type in the top half of the fourth 32-bit word, 0 when free), and the
// windows.
long CountHandles(HANDLE process) {
    long handles = 0;
    for (UINT_PTR value = 4, misses = 0; misses < 4096; value += 4) {
        HANDLE copy = nullptr;
        const bool open = ::DuplicateHandle(process, HANDLE(value), ::GetCurrentProcess(), &copy, 0,
                                            FALSE, DUPLICATE_SAME_ACCESS);
        misses = open ? 0 : misses + 1;
        if (!open) continue;
        handles +=
            ::RegQueryInfoKeyW(HKEY(copy), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS;
        ::CloseHandle(copy);
    }
    return handles;
}

std::vector<long> Count(const e2e::QuillonProcess& app, HANDLE process) {
    PROCESS_BASIC_INFORMATION basic{};
    ::NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, nullptr);
    UINT64 table = 0;
    std::vector<ULONG> words(0x10000 * 6);
    ::ReadProcessMemory(process, PBYTE(basic.PebBaseAddress) + 0xF8, &table, sizeof table, nullptr);
    ::ReadProcessMemory(process, PVOID(table), words.data(), words.size() * 4, nullptr);
    long gdiObjects = 0;
    for (std::size_t word = 3; word < words.size(); word += 6) gdiObjects += words[word] >> 16 != 0;
    long windows = 0;
    for (HWND top : app.Windows(nullptr)) windows += 1 + long(e2e::Children(top).size());
    return {CountHandles(process), gdiObjects, windows};
}

// Once two readings agree, not while a child or a window goes away.
std::vector<long> Settled(const e2e::QuillonProcess& app, HANDLE process) {
    std::vector<long> last;
    for (int i = 0; i < 30 && last != Count(app, process); ++i, ::Sleep(250))
        last = Count(app, process);
    return last;
}

// "&DCPROMO" is greyed, so D goes to "&Display"; F, which "&Features" shares,
// goes to the first of the two in tab order.
const std::pair<char, const wchar_t*> kAccessKeys[] = {
    {'U', L"Account Management"},      {'N', L"Network Settings"},
    {'D', L"Display Settings"},        {'F', L"Firewall Configuration"},
    {'C', L"Computer Name Changes"},   {'W', L"WinRM"},
    {'R', L"Remote Desktop Settings"}, {'T', nullptr},
};

// Also the soak (scripts/soak.sh): QUILLON_SOAK_ROUNDS rounds, 2 by default,
// in one process, whose handles, GDI objects and windows may not grow by 2 %
// or more from the end of the first round (which loads what loads once) to
// the end of the last.
TEST(Keyboard, AltAndTheAccessKeyOpenEachDialogAndLeaveNothingBehind) {
    const char* text = std::getenv("QUILLON_SOAK_ROUNDS");
    const int rounds = std::max(2, std::atoi(text ? text : "2"));
    e2e::QuillonProcess app({L"control.exe"});
    const std::unique_ptr<void, decltype(&::CloseHandle)> process(
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_DUP_HANDLE, FALSE,
                      app.Id()),
        &::CloseHandle);
    HWND main = app.MainWindow();
    ASSERT_NE(main, nullptr);
    std::vector<long> first;
    for (int round = 1; round <= rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        for (const auto& [letter, caption] : kAccessKeys) {
            SCOPED_TRACE(std::string("Alt+") + letter);
            // The program's message loop turns the key into WM_SYSCHAR for the
            // system's dialog manager, which presses the button with that key.
            const LPARAM down =
                1 | LPARAM(::MapVirtualKeyW(letter, MAPVK_VK_TO_VSC)) << 16 | 1 << 29;
            ::PostMessageW(main, WM_SYSKEYDOWN, letter, down);
            ::PostMessageW(main, WM_SYSKEYUP, letter, down | LPARAM(0xC0000000u));
            if (!caption) break;  // the time-zone button hands over to the system's applet
            HWND dialog = app.WaitForWindow(caption);
            ASSERT_NE(dialog, nullptr);
            e2e::Close(dialog);
            ASSERT_TRUE(e2e::WaitUntil([&] { return !::IsWindowVisible(dialog); }));
        }
        ASSERT_TRUE(e2e::WaitUntil([&] { return app.ToolRuns().size() == std::size_t(round); }));
        e2e::Close(app.OpenFromMainMenu(L"&Features", L"Server Features and Roles"));
        e2e::PostMenuCommand(main, 0);  // Help > About
        e2e::Close(app.WaitForWindow(L"About Quillon"));
        if (round == 1) first = Settled(app, process.get());
    }
    EXPECT_EQ(app.ToolRuns().back(), "control.exe timedate.cpl");
    const std::vector<long> last = Settled(app, process.get());
    std::printf(
        "[soak] %d rounds: kernel handles %ld -> %ld, GDI objects %ld -> %ld, windows "
        "%ld -> %ld\n",
        rounds, first[0], last[0], first[1], last[1], first[2], last[2]);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_GT(first[i], 0) << "counter " << i << " counts nothing";
        EXPECT_LT(last[i] - first[i], std::max(1L, first[i] / 50)) << "counter " << i;
    }
}

}  // namespace
