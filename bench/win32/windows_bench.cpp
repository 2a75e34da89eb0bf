// Opening two windows that a user waits for, each beside its baseline, in one
// run, with the real windows and the real command runner:
//  - Server Features and Roles with a listing of 1,000 features printed by a
//    stand-in feature-listing tool (bench_oclist.exe, copied beside this
//    program as oclist.exe and oclist64.exe), against that tool alone, its
//    output read by a bare ReadFile loop;
//  - Account Management with 5,000 local users, against a bare window whose
//    list box is given the same 5,000 names with redrawing off. Wine's network management API
//    lists only the current user, so the users come from the shared fake
//    (tests/fakes/FakeNetApi) behind the real windows.
// Prints medians and ratios; asserts nothing.
//   bench_windows.exe [rounds, default 7]
#include <windows.h>
// (first: the other system headers need its types)

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "accounts/frmAccountMgmt.h"
#include "app/FormCatalog.h"
#include "app/Services.h"
#include "features/frmRoles.h"
#include "tests/fakes/FakeNetApi.h"
#include "win32/Win32CommandRunner.h"
#include "win32/Win32Registry.h"
#include "win32/Win32Shell.h"

namespace {

constexpr int kUsers = 5000;
constexpr int kFeatures = 1000;

double Now() {
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::wstring Beside(const wchar_t* fileName) {
    wchar_t path[MAX_PATH];
    std::wstring self(path, ::GetModuleFileNameW(nullptr, path, MAX_PATH));
    return self.substr(0, self.find_last_of(L'\\') + 1) + fileName;
}

// Seconds to open the window as the main menu does, until it has painted;
// negative when it does not show what it should.
double TimeOpen(win32::Win32Shell& shell, app::Services& services, const wchar_t* name,
                const std::function<bool(ui::Form&)>& filled) {
    const double start = Now();
    std::shared_ptr<ui::Form> form;
    shell.RunEvent(nullptr, [&] { form = app::OpenModeless(services, name); });
    shell.DoEvents();
    const double elapsed = Now() - start;
    const bool ok = form && filled(*form);
    if (form) shell.Unload(*form);
    shell.DoEvents();
    return ok ? elapsed : -1;
}

// Seconds for the stand-in tool to start and print its listing, read by a
// bare ReadFile loop.
double TimeToolAlone() {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    const double start = Now();
    if (!::CreatePipe(&readEnd, &writeEnd, &inheritable, 64 * 1024)) return -1;
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    std::wstring commandLine = L"\"" + Beside(L"oclist.exe") + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    const BOOL created = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                          nullptr, nullptr, &startup, &process);
    ::CloseHandle(writeEnd);
    std::size_t total = 0;
    if (created) {
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        std::vector<char> buffer(64 * 1024);
        DWORD got = 0;
        while (::ReadFile(readEnd, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
            total += got;
    }
    const double elapsed = Now() - start;
    ::CloseHandle(readEnd);
    return total > 0 ? elapsed : -1;
}

// Seconds for a bare window with a list box of the names to show and paint.
double TimeBareListBox(const std::vector<std::wstring>& names) {
    const double start = Now();
    HWND window =
        ::CreateWindowExW(0, L"QuillonBenchBare", L"Bare", WS_OVERLAPPEDWINDOW, 100, 100, 480, 360,
                          nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    HWND list = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                                  WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY, 8, 8, 200, 300,
                                  window, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    // The quickest way to fill a list box: no redrawing until it is full.
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (const auto& name : names)
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::ShowWindow(window, SW_SHOW);
    ::UpdateWindow(window);
    const double elapsed = Now() - start;
    const bool ok = ::SendMessageW(list, LB_GETCOUNT, 0, 0) == static_cast<LRESULT>(names.size());
    ::DestroyWindow(window);
    return ok ? elapsed : -1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 7;
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                  ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_TREEVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    WNDCLASSW bareClass{};
    bareClass.lpfnWndProc = ::DefWindowProcW;
    bareClass.hInstance = ::GetModuleHandleW(nullptr);
    bareClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    bareClass.lpszClassName = L"QuillonBenchBare";
    ::RegisterClassW(&bareClass);

    win32::Win32Shell shell(::GetModuleHandleW(nullptr));
    win32::Win32CommandRunner runner;
    win32::Win32RegistryBackend registry;
    fakes::FakeNetApi netapi;
    for (int i = 0; i < kUsers; ++i) netapi.users.push_back(L"user" + std::to_wstring(i));
    netapi.groups = {{L"Administrators", {netapi.computer + L"\\Administrator"}}, {L"Users", {}}};
    app::Services services;
    services.shell = &shell;
    services.runner = &runner;
    services.registry = &registry;
    services.netapi = &netapi;
    services.catalog = &app::FormCatalog::Default();

    auto featuresFilled = [](ui::Form& form) {
        return static_cast<features::frmRoles&>(form).tvwFeatures->Count() == kFeatures;
    };
    auto usersFilled = [](ui::Form& form) {
        return static_cast<accounts::frmAccountMgmt&>(form).lstUsers->ListCount() == kUsers;
    };
    std::vector<double> features, tool, users, bare;
    TimeOpen(shell, services, L"frmRoles", featuresFilled);  // the system's caches warm up
    TimeOpen(shell, services, L"frmAccountMgmt", usersFilled);
    for (int round = 0; round < rounds; ++round) {
        tool.push_back(TimeToolAlone());
        features.push_back(TimeOpen(shell, services, L"frmRoles", featuresFilled));
        bare.push_back(TimeBareListBox(netapi.users));
        users.push_back(TimeOpen(shell, services, L"frmAccountMgmt", usersFilled));
        if (std::min({tool.back(), features.back(), bare.back(), users.back()}) < 0) {
            std::fprintf(stderr, "a window did not show what it should, or the tool failed\n");
            return 1;
        }
    }
    const double f = Median(features) * 1000, t = Median(tool) * 1000;
    const double u = Median(users) * 1000, b = Median(bare) * 1000;
    std::printf("features_open_ms %.1f\nfeatures_tool_alone_ms %.1f\nfeatures_ratio %.2f\n", f, t,
                f / t);
    std::printf("accounts_open_ms %.1f\naccounts_bare_list_box_ms %.1f\naccounts_ratio %.2f\n", u,
                b, u / b);
    return 0;
}
