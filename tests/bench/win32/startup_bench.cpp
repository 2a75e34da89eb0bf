// Start-up time: from process creation until the program's main window
// exists and the program waits for input, for quillon.exe and for the bare
// window program, alternating, in one run.
//   startup_bench.exe <quillon.exe> <bare_window.exe> [rounds [caption of the first]]
// (the caption lets the first program be another variant of the baseline).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Process {
    PROCESS_INFORMATION info{};
    ~Process() {
        if (info.hThread) ::CloseHandle(info.hThread);
        if (info.hProcess) ::CloseHandle(info.hProcess);
    }
};

struct FindContext {
    DWORD processId;
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK FindWindowOfProcess(HWND window, LPARAM parameter) {
    auto* context = reinterpret_cast<FindContext*>(parameter);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    wchar_t text[128] = {};
    ::GetWindowTextW(window, text, 128);
    if (owner == context->processId && ::IsWindowVisible(window) &&
        std::wstring(text) == context->caption) {
        context->found = window;
        return FALSE;
    }
    return TRUE;
}

// Seconds until the window is there and the program idle; negative on failure.
double TimeStartUp(const std::wstring& exe, const wchar_t* caption) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    Process process;
    const double start = Now();
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process.info))
        return -1;
    ::WaitForInputIdle(process.info.hProcess, 30000);
    FindContext context{process.info.dwProcessId, caption, nullptr};
    while (!context.found && Now() - start < 30) {
        ::EnumWindows(FindWindowOfProcess, reinterpret_cast<LPARAM>(&context));
        if (!context.found) ::Sleep(1);
    }
    const double elapsed = Now() - start;
    if (context.found) ::PostMessageW(context.found, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.info.hProcess, 10000) != WAIT_OBJECT_0)
        ::TerminateProcess(process.info.hProcess, 1);
    return context.found ? elapsed : -1;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_bench <quillon.exe> <bare_window.exe> [rounds]\n");
        return 2;
    }
    const int rounds = argc > 3 ? _wtoi(argv[3]) : 9;
    const wchar_t* caption = argc > 4 ? argv[4] : L"Quillon by Varnholt";
    std::vector<double> quillon, bare;
    // One start of each first, unmeasured: the system's caches warm up.
    TimeStartUp(argv[1], caption);
    TimeStartUp(argv[2], L"Bare Window");
    for (int i = 0; i < rounds; ++i) {
        const double q = TimeStartUp(argv[1], caption);
        const double b = TimeStartUp(argv[2], L"Bare Window");
        if (q < 0 || b < 0) {
            std::fprintf(stderr, "a program did not show its window\n");
            return 1;
        }
        quillon.push_back(q);
        bare.push_back(b);
    }
    const double mq = Median(quillon) * 1000, mb = Median(bare) * 1000;
    std::printf("startup_quillon_ms %.1f\nstartup_bare_ms %.1f\nstartup_ratio %.2f\n", mq, mb,
                mq / mb);
    return 0;
}
