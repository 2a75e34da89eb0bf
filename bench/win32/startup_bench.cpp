// Start-up time: from process creation until the program's main window is
// visible and the program waits for input, for several programs started in
// turn, round after round, in one run. Prints the median of each, and for each
// pair the median of their per-round ratios with its quartiles (the spread).
//   bench_startup.exe <rounds> <name> <program.exe> <window caption> [<name> ...]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double Now() {
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Program {
    std::string name;
    std::wstring exe, caption;
    std::vector<double> seconds;
};

struct FindContext {
    DWORD processId;
    const std::wstring* caption;
    HWND found;
};

BOOL CALLBACK FindWindowOfProcess(HWND window, LPARAM parameter) {
    auto* context = reinterpret_cast<FindContext*>(parameter);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != context->processId || !::IsWindowVisible(window)) return TRUE;
    wchar_t text[128] = {};
    ::GetWindowTextW(window, text, 128);
    if (*context->caption != text) return TRUE;
    context->found = window;
    return FALSE;
}

// Seconds until the window is there and the program idle; negative on failure.
double TimeStartUp(const Program& program) {
    std::wstring commandLine = L"\"" + program.exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const double start = Now();
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        return -1;
    ::WaitForInputIdle(process.hProcess, 30000);
    FindContext context{process.dwProcessId, &program.caption, nullptr};
    while (!context.found && Now() - start < 30) {
        ::EnumWindows(FindWindowOfProcess, reinterpret_cast<LPARAM>(&context));
        if (!context.found) ::Sleep(1);
    }
    const double elapsed = Now() - start;
    if (context.found) ::PostMessageW(context.found, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
        ::TerminateProcess(process.hProcess, 1);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return context.found ? elapsed : -1;
}

double Quantile(std::vector<double> values, double q) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(q * static_cast<double>(values.size() - 1) + 0.5)];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 5 || (argc - 2) % 3 != 0) {
        std::fprintf(stderr, "usage: bench_startup <rounds> <name> <program.exe> <caption> ...\n");
        return 2;
    }
    const int rounds = std::max(1, _wtoi(argv[1]));
    std::vector<Program> programs;
    for (int i = 2; i + 2 < argc; i += 3)
        programs.push_back(
            {std::string(argv[i], argv[i] + wcslen(argv[i])), argv[i + 1], argv[i + 2], {}});
    for (const Program& program : programs) TimeStartUp(program);  // the system's caches warm up
    for (int round = 0; round < rounds; ++round) {
        for (Program& program : programs) {
            const double seconds = TimeStartUp(program);
            if (seconds < 0) {
                std::fprintf(stderr, "%s did not show its window\n", program.name.c_str());
                return 1;
            }
            program.seconds.push_back(seconds);
        }
    }
    for (const Program& program : programs)
        std::printf("startup_%s_ms %.1f\n", program.name.c_str(),
                    Quantile(program.seconds, 0.5) * 1000);
    for (std::size_t a = 0; a < programs.size(); ++a)
        for (std::size_t b = a + 1; b < programs.size(); ++b) {
            std::vector<double> ratios;
            for (int round = 0; round < rounds; ++round)
                ratios.push_back(programs[a].seconds[round] / programs[b].seconds[round]);
            std::printf("startup_%s_vs_%s %.2f %.2f %.2f\n", programs[a].name.c_str(),
                        programs[b].name.c_str(), Quantile(ratios, 0.5), Quantile(ratios, 0.25),
                        Quantile(ratios, 0.75));
        }
    return 0;
}
