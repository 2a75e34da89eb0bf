#pragma once
// The children of the runner and console tests: their executable, run with "--child=<mode>:<n>".
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace child {

// Numbered lines cut at size: a byte lost or doubled anywhere changes the text.
inline std::string Pattern(std::size_t size) {
    std::string text;
    char line[32];
    for (unsigned i = 0; text.size() < size; ++i)
        text += std::string(line, std::snprintf(line, sizeof line, "line %06u abcdefghij\r\n", i));
    return text.substr(0, size);
}

inline std::wstring CommandLine(const std::wstring& mode) {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return L"\"" + std::wstring(path, length) + L"\" --child=" + mode;
}

// A blocking write to a pipe returns once all of it is written.
inline void Write(DWORD stream, const std::string& text) {
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(stream), text.data(), static_cast<DWORD>(text.size()), &written,
                nullptr);
}

inline int Run(const std::string& mode, const std::string& argument) {
    const unsigned long n = std::strtoul(argument.c_str(), nullptr, 10);
    if (mode == "emit") {  // Pattern(n) in pieces of varying size
        const std::string text = Pattern(n);
        for (std::size_t at = 0, piece = 700; at < n; at += piece, piece = piece % 1900 + 333)
            Write(STD_OUTPUT_HANDLE, text.substr(at, piece));
    } else if (mode == "interleave") {  // n lines on each stream, alternately, with a letter
        for (unsigned long i = 0; i < n; ++i) {  // that the OEM and ANSI code pages tell apart
            Write(STD_OUTPUT_HANDLE, "out \x82 " + std::to_string(i) + "\r\n");
            Write(STD_ERROR_HANDLE, "err \x82 " + std::to_string(i) + "\r\n");
        }
    } else if (mode == "grandchild") {  // a grandchild holds the output n ms longer
        Write(STD_OUTPUT_HANDLE, "parent\r\n");
        std::wstring line = CommandLine(L"hold:" + std::to_wstring(n));
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
        PROCESS_INFORMATION process{};
        if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                              &startup, &process))
            return 2;
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    } else if (mode == "hold") {  // speaks, is silent for n ms, speaks again
        Write(STD_OUTPUT_HANDLE, "ready");
        ::Sleep(n);
        Write(STD_OUTPUT_HANDLE, ", done");
        return 3;
    }
    return 0;
}

// The tests' main: plays the child when the command line asks for one.
inline int Main(int argc, char** argv) {
    if (argc < 2 || std::strncmp(argv[1], "--child=", 8) != 0) {
        ::testing::InitGoogleTest(&argc, argv);
        return RUN_ALL_TESTS();
    }
    const std::string request = argv[1] + 8;
    const std::size_t colon = request.find(':');
    return Run(request.substr(0, colon),
               colon == std::string::npos ? "" : request.substr(colon + 1));
}

}  // namespace child
