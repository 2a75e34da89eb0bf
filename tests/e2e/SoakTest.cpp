// Soak: every window of the real program opened and closed many times in one
// process (QUILLON_SOAK_ROUNDS, default 200; scripts/soak.sh, outside the test
// run). Its kernel handles, GDI objects and windows may not grow by 2 % or
// more from the end of the first round (which loads what loads once) to the
// end of the last. Wine stubs GetProcessHandleCount and GetGuiResources, so
// the driver counts the handle values that DuplicateHandle accepts, the used
// entries of the GDI handle table that the process environment block points
// to (64-bit layout), and the windows.
#include <windows.h>
// After windows.h, which they need.
#include <gtest/gtest.h>
#include <objbase.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "tests/e2e/support/E2eDriver.h"

namespace {

long CountHandles(HANDLE process) {
    long count = 0;
    for (UINT_PTR value = 4, misses = 0; misses < 4096; value += 4) {
        HANDLE copy = nullptr;
        const bool open =
            ::DuplicateHandle(process, reinterpret_cast<HANDLE>(value), ::GetCurrentProcess(),
                              &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
        if (open) ::CloseHandle(copy);
        count += open;
        misses = open ? 0 : misses + 1;
    }
    return count;
}

// Handles, GDI objects and windows.
std::vector<long> Count(HANDLE process, DWORD processId) {
    using Query = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    UINT64 address = 0;
    // 24-byte entries; the object's type, 0 in a free entry, in the top half
    // of the fourth 32-bit word.
    std::vector<ULONG> table(0x10000 * 6);
    query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr);
    ::ReadProcessMemory(process, reinterpret_cast<char*>(basic.PebBaseAddress) + 0xF8, &address,
                        sizeof address, nullptr);
    ::ReadProcessMemory(process, reinterpret_cast<void*>(address), table.data(),
                        table.size() * sizeof(ULONG), nullptr);
    long gdiObjects = 0;
    for (std::size_t word = 3; word < table.size(); word += 6) gdiObjects += table[word] >> 16 != 0;
    long windows = 0;
    for (HWND top : e2e::Children(::GetDesktopWindow(), L"")) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(top, &owner);
        if (owner == processId) windows += 1 + static_cast<long>(e2e::Children(top, L"").size());
    }
    return {CountHandles(process), gdiObjects, windows};
}

// The counts once two readings agree, not while a child or window goes away.
std::vector<long> Settled(HANDLE process, DWORD processId) {
    std::vector<long> last;
    for (int i = 0; i < 30 && last != Count(process, processId); ++i, ::Sleep(250))
        last = Count(process, processId);
    return last;
}

// Wine's "winmgmts:" moniker leaves registry keys open on every bind, and
// Network Settings binds it whenever it opens: measured on the driver itself
// and allowed for, so that the soak still sees the program's own leaks.
long HandlesLeftPerMonikerBind() {
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    long before = 0;
    for (int i = 0; i < 5; ++i) {
        if (i == 1) before = CountHandles(::GetCurrentProcess());  // the first loads what stays
        IDispatch* object = nullptr;
        ::CoGetObject(L"winmgmts:{impersonationLevel=impersonate}!\\\\.\\root\\cimv2", nullptr,
                      IID_IDispatch, reinterpret_cast<void**>(&object));
        const std::unique_ptr<IDispatch, void (*)(IDispatch*)> owned(
            object, [](IDispatch* bound) { bound->Release(); });
    }
    const long after = CountHandles(::GetCurrentProcess());
    if (SUCCEEDED(com)) ::CoUninitialize();
    return std::max(0L, (after - before + 2) / 4);
}

void Dismiss(HWND window, const wchar_t* button) {
    ASSERT_NE(window, nullptr);
    e2e::Click(e2e::FindChild(window, button));
    ASSERT_TRUE(e2e::WaitUntil([&] { return !::IsWindowVisible(window); })) << button;
}

const std::pair<const wchar_t*, const wchar_t*> kPlainDialogs[] = {
    {L"&Display", L"Display Settings"},        {L"&RDP", L"Remote Desktop Settings"},
    {L"&Firewall", L"Firewall Configuration"}, {L"&WinRM", L"WinRM"},
    {L"&Networking", L"Network Settings"},     {L"&Features", L"Server Features and Roles"}};

void PlayRound(const e2e::QuillonProcess& app) {
    for (const auto& [button, caption] : kPlainDialogs) {
        HWND window = app.OpenFromMainMenu(button, caption);
        ASSERT_NE(window, nullptr) << caption;
        e2e::Close(window);
        ASSERT_TRUE(e2e::WaitUntil([&] { return !::IsWindowVisible(window); }));
    }
    HWND computer = app.OpenFromMainMenu(L"&Computer Name", L"Computer Name Changes");
    ASSERT_NE(computer, nullptr);
    HWND domain = e2e::Children(computer, L"Edit").at(1);
    e2e::Click(e2e::FindChild(computer, L"Domain:"));
    ASSERT_TRUE(e2e::WaitUntil([&] { return ::IsWindowEnabled(domain); }));
    e2e::SetText(domain, L"soak");
    e2e::Click(e2e::FindChild(computer, L"&OK"));
    Dismiss(app.WaitForWindow(L"Credentials for SOAK domain:"), L"Cancel");
    ASSERT_TRUE(e2e::WaitUntil([&] { return ::IsWindowEnabled(computer); }));
    Dismiss(computer, L"&Cancel");

    HWND accounts = app.OpenFromMainMenu(L"&Users&&Groups", L"Account Management");
    ASSERT_NE(accounts, nullptr);
    HWND users = e2e::Children(accounts, L"ListBox").at(0);
    ::PostMessageW(users, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    ::PostMessageW(users, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    e2e::Click(e2e::FindChild(accounts, L"&Password"));
    Dismiss(app.WaitForWindow(L"Set password for " + e2e::ListItem(users, 0)), L"Cancel");
    e2e::Click(e2e::FindChild(accounts, L"&New User"));
    Dismiss(app.WaitForWindow(L"New User"), L"Close");
    Dismiss(accounts, L"&Main Menu");
    e2e::PostMenuCommand(app.MainWindow(), 0);  // Help > About
    Dismiss(app.WaitForWindow(L"About Quillon"), L"OK");
}

TEST(Soak, EveryWindowOpenedAndClosedLeavesNothingBehind) {
    const char* text = std::getenv("QUILLON_SOAK_ROUNDS");
    const int rounds = std::max(2, std::atoi(text ? text : "200"));
    const long monikerHandles = HandlesLeftPerMonikerBind();
    e2e::QuillonProcess app({L"oclist.exe", L"oclist64.exe"}, "> oclist\r\nInstalled:Soak\r\n");
    const std::unique_ptr<void, decltype(&::CloseHandle)> process(
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_DUP_HANDLE, FALSE,
                      app.Id()),
        &::CloseHandle);
    std::vector<long> first;
    for (int round = 1; round <= rounds; ++round) {
        ASSERT_NO_FATAL_FAILURE(PlayRound(app)) << "round " << round;
        if (round == 1) first = Settled(process.get(), app.Id());
    }
    std::vector<long> last = Settled(process.get(), app.Id());
    last[0] -= monikerHandles * (rounds - 1);
    std::printf(
        "[soak] %d rounds: kernel handles %ld -> %ld (less %ld a bind of Wine's moniker), "
        "GDI objects %ld -> %ld, windows %ld -> %ld\n",
        rounds, first[0], last[0], monikerHandles, first[1], last[1], first[2], last[2]);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_GT(first[i], 0) << "counter " << i << " counts nothing";
        EXPECT_LT(last[i] - first[i], std::max(1L, first[i] / 50)) << "counter " << i;
    }
}

}  // namespace
