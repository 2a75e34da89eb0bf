// The command runner against the physical floor: the same child writing 10 MB
// and 50 MB, once captured through RunAndCaptureOutput and once read by a bare
// loop of 64 KB ReadFile calls from a 64 KB pipe, side by side (which goes
// first alternates), round after round, in one run. Prints the medians, and
// the median of the per-round ratios with its quartiles; asserts nothing.
//   bench_runner.exe [rounds, default 5]
//   bench_runner.exe --emit=<n>     (the child) writes n bytes to standard output
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "win32/Win32CommandRunner.h"

namespace {

constexpr DWORD kPiece = 64 * 1024;

double Now() {
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

int Emit(unsigned long long size) {
    // Lines of text, 4096 bytes a write, as a chatty console tool prints them.
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

// Seconds from starting the child until a bare ReadFile loop has read all of
// its output (negative when bytes were lost).
double TimeBareLoop(unsigned long long size) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    const double start = Now();
    if (!::CreatePipe(&readEnd, &writeEnd, &inheritable, kPiece)) return -1;
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    std::wstring commandLine = ChildCommandLine(size);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdOutput = writeEnd;
    PROCESS_INFORMATION process{};
    const BOOL created = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                          nullptr, nullptr, &startup, &process);
    ::CloseHandle(writeEnd);
    unsigned long long total = 0;
    if (created) {
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        std::vector<char> buffer(kPiece);
        DWORD got = 0;
        while (::ReadFile(readEnd, buffer.data(), kPiece, &got, nullptr)) total += got;
    }
    const double elapsed = Now() - start;
    ::CloseHandle(readEnd);
    if (!created || total != size)
        std::fprintf(stderr, "bare loop: %llu of %llu bytes (error %lu)\n", total, size,
                     created ? 0ul : ::GetLastError());
    return created && total == size ? elapsed : -1;
}

double TimeRunner(unsigned long long size) {
    win32::Win32CommandRunner runner;
    const double start = Now();
    const std::wstring text = runner.RunAndCaptureOutput(ChildCommandLine(size), true, false, true);
    const double elapsed = Now() - start;
    if (text.size() != size)
        std::fprintf(stderr, "runner: %zu of %llu characters\n", text.size(), size);
    return text.size() == size ? elapsed : -1;
}

double Quantile(std::vector<double> values, double q) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(q * static_cast<double>(values.size() - 1) + 0.5)];
}

struct Series {
    std::vector<double> bare, runner, ratio;
    bool Add(unsigned long long size, bool runnerFirst) {
        const double r = runnerFirst ? TimeRunner(size) : -1;
        const double b = TimeBareLoop(size);
        const double r2 = runnerFirst ? r : TimeRunner(size);
        if (b < 0 || r2 < 0) return false;
        bare.push_back(b);
        runner.push_back(r2);
        ratio.push_back(r2 / b);
        return true;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strncmp(argv[1], "--emit=", 7) == 0)
        return Emit(std::strtoull(argv[1] + 7, nullptr, 10));
    const unsigned long long mb = 1024ull * 1024ull;
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    Series ten, fifty;
    for (int i = 0; i < rounds; ++i) {
        if (!ten.Add(10 * mb, i % 2 == 1) || !fifty.Add(50 * mb, i % 2 == 0)) {
            std::fprintf(stderr, "a run failed or lost output\n");
            return 1;
        }
    }
    const double b10 = Quantile(ten.bare, 0.5), r10 = Quantile(ten.runner, 0.5);
    const double b50 = Quantile(fifty.bare, 0.5), r50 = Quantile(fifty.runner, 0.5);
    std::printf("runner_bare_10mb_s %.3f\nrunner_captured_10mb_s %.3f\n", b10, r10);
    std::printf("runner_ratio_10mb %.2f %.2f %.2f\n", Quantile(ten.ratio, 0.5),
                Quantile(ten.ratio, 0.25), Quantile(ten.ratio, 0.75));
    std::printf("runner_bare_50mb_s %.3f\nrunner_captured_50mb_s %.3f\n", b50, r50);
    std::printf("runner_ratio_50mb %.2f %.2f %.2f\n", Quantile(fifty.ratio, 0.5),
                Quantile(fifty.ratio, 0.25), Quantile(fifty.ratio, 0.75));
    // 1.00 is flat: time per byte at 50 MB against time per byte at 10 MB.
    // Starting the child costs the same at both sizes, which keeps it below 1.
    std::printf("runner_per_byte_50_vs_10 %.2f\nrunner_bare_per_byte_50_vs_10 %.2f\n",
                (r50 / 50.0) / (r10 / 10.0), (b50 / 50.0) / (b10 / 10.0));
    std::printf("runner_captured_mb_per_s %.1f\n", 50.0 / r50);
    return 0;
}
