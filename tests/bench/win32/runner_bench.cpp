// The command runner's throughput: a child writing n bytes, once captured
// through RunAndCaptureOutput and once writing into NUL, in one run.
//   runner_bench.exe                run the measurements
//   runner_bench.exe --emit=<n>     (the child) write n bytes to standard output
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "win32/Win32CommandRunner.h"

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

int Emit(unsigned long long size) {
    // Lines of text, written 4096 bytes at a time, as a chatty console tool does.
    std::string block;
    while (block.size() < 4096) block += "Ok. 0123456789 abcdefghijklmnopqrstuvwxyz\r\n";
    block.resize(4096);
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    while (size > 0) {
        const DWORD n = static_cast<DWORD>(std::min<unsigned long long>(size, block.size()));
        DWORD written = 0;
        if (!::WriteFile(out, block.data(), n, &written, nullptr) || written == 0) return 1;
        size -= written;
    }
    return 0;
}

std::wstring ChildCommandLine(unsigned long long size) {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return L"\"" + std::wstring(path, length) + L"\" --emit=" + std::to_wstring(size);
}

// Seconds for the child to write size bytes into NUL and end.
double TimeIntoNul(unsigned long long size) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    const HANDLE nul = ::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     &inheritable, OPEN_EXISTING, 0, nullptr);
    if (nul == INVALID_HANDLE_VALUE) return -1;
    std::wstring commandLine = ChildCommandLine(size);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdOutput = nul;
    PROCESS_INFORMATION process{};
    const double start = Now();
    const BOOL created = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                          nullptr, nullptr, &startup, &process);
    ::CloseHandle(nul);
    if (!created) return -1;
    ::CloseHandle(process.hThread);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    const double elapsed = Now() - start;
    ::CloseHandle(process.hProcess);
    return elapsed;
}

double TimeCaptured(unsigned long long size) {
    win32::Win32CommandRunner runner;
    const double start = Now();
    const std::wstring text = runner.RunAndCaptureOutput(ChildCommandLine(size), true, false, true);
    const double elapsed = Now() - start;
    return text.size() == size ? elapsed : -1;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strncmp(argv[1], "--emit=", 7) == 0)
        return Emit(std::strtoull(argv[1] + 7, nullptr, 10));
    const unsigned long long mb = 1024ull * 1024ull;
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
    std::vector<double> nul10, cap10, nul50, cap50;
    for (int i = 0; i < rounds; ++i) {
        nul10.push_back(TimeIntoNul(10 * mb));
        cap10.push_back(TimeCaptured(10 * mb));
        nul50.push_back(TimeIntoNul(50 * mb));
        cap50.push_back(TimeCaptured(50 * mb));
        if (std::min({nul10.back(), cap10.back(), nul50.back(), cap50.back()}) < 0) {
            std::fprintf(stderr, "a run failed or lost output\n");
            return 1;
        }
    }
    const double n10 = Median(nul10), c10 = Median(cap10), n50 = Median(nul50), c50 = Median(cap50);
    std::printf("runner_nul_10mb_s %.3f\nrunner_captured_10mb_s %.3f\n", n10, c10);
    std::printf("runner_nul_50mb_s %.3f\nrunner_captured_50mb_s %.3f\n", n50, c50);
    std::printf("runner_captured_mb_per_s %.1f\n", 50.0 / c50);
    std::printf("runner_ratio_50mb %.2f\n", c50 / n50);
    // 1.00 is perfectly linear: time per byte at 50 MB against time per byte at 10 MB.
    std::printf("runner_linearity %.2f\n", (c50 / 50.0) / (c10 / 10.0));
    return 0;
}
