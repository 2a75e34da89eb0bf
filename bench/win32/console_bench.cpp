// Processor time that the console capture uses while its child is silent:
// the capture waits for output and window messages instead of polling, so
// waiting should cost a small fraction of the time waited (a polling loop
// costs about one processor second per second). Prints figures only.
//   console_bench.exe [seconds to wait, default 2]
// The benchmark re-runs itself as the silent child: console_bench.exe --silent MS
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "win32/Win32ConsoleCapture.h"

namespace {

double ProcessorSeconds() {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        ULARGE_INTEGER v;
        v.LowPart = t.dwLowDateTime;
        v.HighPart = t.dwHighDateTime;
        return static_cast<double>(v.QuadPart) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

std::wstring SelfPath() {
    wchar_t path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, n);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 3 && std::wcscmp(argv[1], L"--silent") == 0) {
        ::Sleep(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
        return 0;
    }
    const int milliseconds =
        argc >= 2 ? static_cast<int>(std::wcstod(argv[1], nullptr) * 1000) : 2000;
    win32::Win32ConsoleCapture capture;
    int pumps = 0;
    capture.ProcessEvents = [&pumps] {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        ++pumps;
    };
    const std::wstring child = L"\"" + SelfPath() + L"\" --silent " + std::to_wstring(milliseconds);
    const double cpuBefore = ProcessorSeconds();
    const ULONGLONG wallBefore = ::GetTickCount64();
    capture.RunProcess(child);
    const double cpu = ProcessorSeconds() - cpuBefore;
    const double wall = static_cast<double>(::GetTickCount64() - wallBefore) / 1000.0;
    std::printf("console_wait_wall_s %.3f\n", wall);
    std::printf("console_wait_cpu_s %.3f\n", cpu);
    std::printf("console_wait_cpu_ratio %.3f\n", wall > 0 ? cpu / wall : 0.0);
    std::printf("console_wait_event_turns %d\n", pumps);
    return 0;
}
