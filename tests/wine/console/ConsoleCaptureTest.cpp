// The console capture against real child processes. The children are this
// test program itself, started with "--child <what>", and Wine's cmd.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "sysaccess/IConsoleCapture.h"
#include "sysaccess/VbError.h"
#include "win32/Win32ConsoleCapture.h"

namespace {

std::string BurstPattern() {
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text.push_back(static_cast<char>(i % 97 == 96 ? '\n' : 'a' + i % 26));
    return text;
}

int RunChild(const std::string& what, const std::string& argument) {
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    auto write = [out](const std::string& text) {
        DWORD written = 0;
        ::WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    };
    if (what == "burst") {
        write(BurstPattern());  // one write of 3000 bytes
        return 0;
    }
    if (what == "hold") {
        write("ready");
        ::Sleep(static_cast<DWORD>(std::stoi(argument)));
        return 3;
    }
    if (what == "silent") {
        ::Sleep(static_cast<DWORD>(std::stoi(argument)));
        return 7;
    }
    if (what == "cwd") {
        char dir[MAX_PATH] = {};
        ::GetCurrentDirectoryA(MAX_PATH, dir);
        write(dir);
        return 0;
    }
    return 99;
}

std::wstring Self() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

std::wstring ChildCommand(const std::wstring& what, const std::wstring& argument = L"") {
    std::wstring line = L"\"" + Self() + L"\" --child " + what;
    if (!argument.empty()) line += L" " + argument;
    return line;
}

std::wstring Join(const std::vector<std::wstring>& pieces) {
    std::wstring all;
    for (const auto& p : pieces) all += p;
    return all;
}

// Processes this thread's messages as the shell's DoEvents does.
void PumpMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

double CpuSeconds() {
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

void EndProcess(DWORD pid) {
    HANDLE p = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!p) return;
    ::TerminateProcess(p, 1);
    ::WaitForSingleObject(p, 5000);
    ::CloseHandle(p);
}

struct ConsoleCapture : ::testing::Test {
    win32::Win32ConsoleCaptureFactory factory;
    std::unique_ptr<sysaccess::IConsoleCapture> capture = factory.Create();
    std::vector<std::wstring> pieces;
    int pumps = 0;

    ConsoleCapture() {
        capture->ReadProcess = [this](const std::wstring& piece) { pieces.push_back(piece); };
        capture->ProcessEvents = [this] {
            ++pumps;
            PumpMessages();
        };
    }
};

TEST_F(ConsoleCapture, ABurstArrivesInOrderInPiecesOfAtMost1024) {
    const std::int32_t exitCode = capture->RunProcess(ChildCommand(L"burst"));
    EXPECT_EQ(exitCode, 0);
    ASSERT_GE(pieces.size(), 3u);
    for (const auto& p : pieces) {
        EXPECT_LE(p.size(), 1024u);
        EXPECT_FALSE(p.empty());
    }
    const std::string expected = BurstPattern();
    EXPECT_EQ(Join(pieces), std::wstring(expected.begin(), expected.end()));
    EXPECT_EQ(capture->ProcessID(), 0);
    EXPECT_EQ(capture->CommandLine(), L"");
    EXPECT_FALSE(capture->Busy());
}

TEST_F(ConsoleCapture, CancelFromTheFirstEventLeavesTheChildRunning) {
    const std::wstring line = ChildCommand(L"hold", L"20000");
    std::wstring lineSeen;
    std::int32_t pidSeen = 0;
    capture->ReadProcess = [&](const std::wstring& piece) {
        pieces.push_back(piece);
        lineSeen = capture->CommandLine();
        pidSeen = capture->ProcessID();
        capture->Cancel();
    };
    EXPECT_EQ(capture->RunProcess(line), sysaccess::kStillActive);
    EXPECT_EQ(pieces, std::vector<std::wstring>{L"ready"});
    EXPECT_EQ(lineSeen, line);
    ASSERT_NE(pidSeen, 0);
    // The child was left to itself: it still runs.
    HANDLE child = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pidSeen));
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(::WaitForSingleObject(child, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    ::CloseHandle(child);
    EndProcess(static_cast<DWORD>(pidSeen));
    EXPECT_EQ(capture->ProcessID(), 0);
    EXPECT_EQ(capture->CommandLine(), L"");
}

TEST_F(ConsoleCapture, AChildThatPrintsNothingEndsTheCapture) {
    EXPECT_EQ(capture->RunProcess(ChildCommand(L"silent", L"300")), 7);
    EXPECT_TRUE(pieces.empty());
    EXPECT_FALSE(capture->Busy());
    // The object takes the next command.
    EXPECT_EQ(capture->RunProcess(ChildCommand(L"burst")), 0);
    EXPECT_FALSE(pieces.empty());
}

TEST_F(ConsoleCapture, AMissingProgramRaisesTheLaunchError) {
    try {
        capture->RunProcess(L"C:\\no\\such\\folder\\quillon-missing-tool.exe /x");
        FAIL() << "no error raised";
    } catch (const sysaccess::VbError& e) {
        EXPECT_EQ(e.Number(), -2147221102);
        EXPECT_EQ(e.Source(), L"ConsoleCapture");
        EXPECT_EQ(e.Description(), L"An error occured while launching the process");
    }
    EXPECT_EQ(capture->ProcessID(), 0);
    EXPECT_EQ(capture->CommandLine(), L"");
    EXPECT_FALSE(capture->Busy());
    EXPECT_TRUE(pieces.empty());
    EXPECT_EQ(capture->RunProcess(ChildCommand(L"silent", L"10")), 7);
}

TEST_F(ConsoleCapture, ASecondRunWhileBusyIsRefused) {
    std::vector<sysaccess::VbError> refusals;
    const std::wstring first = ChildCommand(L"burst");
    capture->ReadProcess = [&](const std::wstring& piece) {
        pieces.push_back(piece);
        try {
            capture->RunProcess(ChildCommand(L"silent", L"10"));
        } catch (const sysaccess::VbError& e) {
            refusals.push_back(e);
        }
        EXPECT_EQ(capture->CommandLine(), first);  // the run in progress is untouched
    };
    EXPECT_EQ(capture->RunProcess(first), 0);
    ASSERT_EQ(refusals.size(), pieces.size());
    ASSERT_FALSE(refusals.empty());
    EXPECT_EQ(refusals[0].Number(), -2147221104);
    EXPECT_EQ(refusals[0].Source(), L"ConsoleCapture");
    EXPECT_EQ(refusals[0].Description(), L"A process is already running");
    const std::string expected = BurstPattern();
    EXPECT_EQ(Join(pieces), std::wstring(expected.begin(), expected.end()));
}

TEST_F(ConsoleCapture, WaitingForASilentChildUsesAlmostNoProcessorTime) {
    const double before = CpuSeconds();
    const ULONGLONG started = ::GetTickCount64();
    EXPECT_EQ(capture->RunProcess(ChildCommand(L"silent", L"2000")), 7);
    const double used = CpuSeconds() - before;
    EXPECT_GE(::GetTickCount64() - started, 1900u);
    EXPECT_LT(used, 0.2) << "processor seconds used while waiting: " << used;
    // Meanwhile the user interface was given its turns.
    EXPECT_GT(pumps, 5);
}

TEST_F(ConsoleCapture, MessagesAreHandledWhileWaitingAndCanCancel) {
    // A timer message, set once the child has spoken, stands for the user
    // pressing a button that cancels while the child is silent.
    UINT_PTR timer = 0;
    std::int32_t pid = 0;
    capture->ReadProcess = [&](const std::wstring& piece) {
        pieces.push_back(piece);
        pid = capture->ProcessID();
        timer = ::SetTimer(nullptr, 0, 200, nullptr);
    };
    capture->ProcessEvents = [&] {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            if (msg.message == WM_TIMER) capture->Cancel();
    };
    const ULONGLONG started = ::GetTickCount64();
    EXPECT_EQ(capture->RunProcess(ChildCommand(L"hold", L"20000")), sysaccess::kStillActive);
    EXPECT_LT(::GetTickCount64() - started, 10000u);
    ASSERT_NE(timer, 0u);
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(pieces, std::vector<std::wstring>{L"ready"});
    EndProcess(static_cast<DWORD>(pid));
}

TEST_F(ConsoleCapture, StartsTheChildInTheGivenFolder) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring folder = temp;
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    capture->RunProcess(ChildCommand(L"cwd"), folder);
    EXPECT_EQ(_wcsicmp(Join(pieces).c_str(), folder.c_str()), 0) << Join(pieces).size();
}

TEST_F(ConsoleCapture, CapturesTheCommandInterpreter) {
    EXPECT_EQ(capture->RunProcess(L"cmd /c echo quillon-capture"), 0);
    EXPECT_NE(Join(pieces).find(L"quillon-capture"), std::wstring::npos);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "--child")
        return RunChild(argv[2], argc >= 4 ? argv[3] : "0");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
