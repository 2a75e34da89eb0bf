// The test executable's own entry point: with "--child=<mode>" it plays the
// child process that the runner captures; otherwise it runs the tests.
//   emit:<n>         n bytes of Pattern(n) on standard output, in uneven pieces
//   bytes:<hex>      the given bytes on standard output
//   interleave:<n>   "out i" and "err i" lines, alternately on each stream
//   stderr:<text>    text on standard error only
//   grandchild:<ms>  "parent", then starts a grandchild that inherits the
//                    output and writes "grandchild" after ms, and exits
//   late:<ms>        sleeps ms, then writes "grandchild"
//   cmdline          its own command line, as it received it
//   sjis             1023 'x', then 600 times "日本語" in Shift-JIS: every
//                    1024-byte seam falls inside a character
#include <gmock/gmock.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/wine/runner/ChildProcess.h"

namespace runner_test {

std::string Pattern(std::size_t size) {
    std::string text;
    text.reserve(size + 32);
    for (unsigned line = 0; text.size() < size; ++line) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "line %06u abcdefghij\r\n", line);
        text += buffer;
    }
    text.resize(size);
    return text;
}

std::wstring ChildCommandLine(const std::wstring& mode) {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return L"\"" + std::wstring(path, length) + L"\" --child=" + mode;
}

}  // namespace runner_test

namespace {

void Write(DWORD stream, const void* data, std::size_t size) {
    const HANDLE handle = ::GetStdHandle(stream);
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        DWORD written = 0;
        if (!::WriteFile(handle, p, static_cast<DWORD>(size), &written, nullptr) || written == 0)
            return;
        p += written;
        size -= written;
    }
}

void Write(DWORD stream, const std::string& text) { Write(stream, text.data(), text.size()); }

int Child(const std::string& mode, const std::string& argument) {
    if (mode == "emit") {
        const std::string text = runner_test::Pattern(std::strtoul(argument.c_str(), nullptr, 10));
        // Pieces of varying size, so that the writer's seams and the reader's
        // 1024-byte seams fall in different places.
        std::size_t at = 0;
        for (std::size_t piece = 700; at < text.size(); piece = piece % 1900 + 333) {
            const std::size_t n = std::min(piece, text.size() - at);
            Write(STD_OUTPUT_HANDLE, text.data() + at, n);
            at += n;
        }
    } else if (mode == "bytes") {
        std::string bytes;
        for (std::size_t i = 0; i + 1 < argument.size(); i += 2)
            bytes.push_back(static_cast<char>(std::stoi(argument.substr(i, 2), nullptr, 16)));
        Write(STD_OUTPUT_HANDLE, bytes);
    } else if (mode == "interleave") {
        const int lines = std::atoi(argument.c_str());
        for (int i = 0; i < lines; ++i) {
            Write(STD_OUTPUT_HANDLE, "out " + std::to_string(i) + "\r\n");
            Write(STD_ERROR_HANDLE, "err " + std::to_string(i) + "\r\n");
        }
    } else if (mode == "stderr") {
        Write(STD_ERROR_HANDLE, argument);
    } else if (mode == "grandchild") {
        Write(STD_OUTPUT_HANDLE, "parent\r\n");
        std::wstring commandLine = runner_test::ChildCommandLine(
            L"late:" + std::wstring(argument.begin(), argument.end()));
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
        PROCESS_INFORMATION process{};
        if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                              nullptr, &startup, &process))
            return 2;
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    } else if (mode == "late") {
        ::Sleep(static_cast<DWORD>(std::atoi(argument.c_str())));
        Write(STD_OUTPUT_HANDLE, "grandchild\r\n");
    } else if (mode == "cmdline") {
        const wchar_t* line = ::GetCommandLineW();
        const int size = ::WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
        std::string utf8(static_cast<std::size_t>(size), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, line, -1, utf8.data(), size, nullptr, nullptr);
        utf8.resize(std::strlen(utf8.c_str()));
        Write(STD_OUTPUT_HANDLE, utf8);
    } else if (mode == "sjis") {
        std::string bytes(1023, 'x');
        for (int i = 0; i < 600; ++i) bytes += "\x93\xFA\x96\x7B\x8C\xEA";
        Write(STD_OUTPUT_HANDLE, bytes);
    } else {
        return 3;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    constexpr char kChild[] = "--child=";
    if (argc >= 2 && std::strncmp(argv[1], kChild, sizeof kChild - 1) == 0) {
        const std::string spec = argv[1] + sizeof kChild - 1;
        const std::size_t colon = spec.find(':');
        return Child(spec.substr(0, colon),
                     colon == std::string::npos ? "" : spec.substr(colon + 1));
    }
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
