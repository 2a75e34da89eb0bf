// The console capture on real children (ChildProcess.h) and the command interpreter.
#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sysaccess/IConsoleCapture.h"
#include "sysaccess/VbError.h"
#include "tests/wine/runner/ChildProcess.h"
#include "win32/Win32ConsoleCapture.h"

namespace {

using child::CommandLine;

struct ConsoleCapture : ::testing::Test {
    std::unique_ptr<sysaccess::IConsoleCapture> capture =
        win32::Win32ConsoleCaptureFactory().Create();
    std::vector<std::wstring> pieces;
    std::wstring text, seenLine;
    std::int32_t seenPid = 0;
    std::function<void(const std::wstring&)> onPiece = [](const std::wstring&) {};

    ConsoleCapture() {
        capture->ReadProcess = [this](const std::wstring& piece) {
            pieces.push_back(piece);
            text += piece;
            seenLine = capture->CommandLine();
            seenPid = capture->ProcessID();
            onPiece(piece);
        };
    }
    ~ConsoleCapture() override {  // idle again after every run
        EXPECT_EQ(capture->ProcessID(), 0);
        EXPECT_EQ(capture->CommandLine(), L"");
        EXPECT_FALSE(capture->Busy());
    }
    // A cancelled capture leaves its child running: true if it still ran.
    bool EndChild() {
        HANDLE child = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, DWORD(seenPid));
        const bool running = child && ::WaitForSingleObject(child, 0) == WAIT_TIMEOUT;
        if (child && ::TerminateProcess(child, 1)) ::WaitForSingleObject(child, 5000);
        if (child) ::CloseHandle(child);
        return running;
    }
};

TEST_F(ConsoleCapture, OutputArrivesInOrderInPiecesOfAtMost1024) {
    const std::wstring line = CommandLine(L"emit:5000");
    EXPECT_EQ(capture->RunProcess(line), 0);
    ASSERT_GE(pieces.size(), 5u);
    for (const auto& piece : pieces) EXPECT_LE(piece.size(), 1024u);
    EXPECT_TRUE(std::string(text.begin(), text.end()) == child::Pattern(5000));
    EXPECT_EQ(seenLine, line);
    EXPECT_NE(seenPid, 0);
}

TEST_F(ConsoleCapture, CancelEndsTheCaptureNotTheChild) {
    // From the handler of the first piece, and, while the child is silent,
    // from the user's events (a timer stands for a button).
    for (bool fromEvents : {false, true}) {
        SCOPED_TRACE(fromEvents ? "from events" : "from the handler");
        pieces.clear();
        onPiece = [&](const std::wstring&) {
            if (fromEvents) ::SetTimer(nullptr, 0, 200, nullptr);
            if (!fromEvents) capture->Cancel();
        };
        capture->ProcessEvents = [&] {
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                if (msg.message == WM_TIMER && ::KillTimer(nullptr, msg.wParam)) capture->Cancel();
        };
        EXPECT_EQ(capture->RunProcess(CommandLine(L"hold:20000")), sysaccess::kStillActive);
        EXPECT_EQ(pieces, std::vector<std::wstring>{L"ready"});
        EXPECT_TRUE(EndChild());
    }
}

TEST_F(ConsoleCapture, ErrorsLeaveTheRunInProgressAndTheObjectAsTheyWere) {
    std::vector<std::wstring> errors;
    auto run = [&](const std::wstring& line) -> std::int32_t {
        try {
            return capture->RunProcess(line);
        } catch (const sysaccess::VbError& e) {
            errors.push_back(std::to_wstring(e.Number()) + L" " + e.Source() + L": " +
                             e.Description());
            return -1;
        }
    };
    const std::wstring first = CommandLine(L"emit:3000");
    onPiece = [&](const std::wstring&) {
        EXPECT_EQ(run(CommandLine(L"silent:10")), -1);
        EXPECT_EQ(capture->CommandLine(), first);
    };
    EXPECT_EQ(run(first), 0);
    EXPECT_TRUE(std::string(text.begin(), text.end()) == child::Pattern(3000));
    EXPECT_EQ(errors,
              std::vector<std::wstring>(
                  pieces.size(), L"-2147221104 ConsoleCapture: A process is already running"));
    errors.clear();
    onPiece = [](const std::wstring&) {};
    EXPECT_EQ(run(L"C:\\no\\such\\folder\\quillon-missing-tool.exe /x"), -1);
    EXPECT_EQ(errors, std::vector<std::wstring>{L"-2147221102 ConsoleCapture: An error occured "
                                                L"while launching the process"});
    // The next command runs; a silent child ends the capture with its exit code.
    EXPECT_EQ(run(CommandLine(L"silent:300")), 7);
}

TEST_F(ConsoleCapture, TheCommandInterpreterStartsInTheGivenFolderAndStopsAtItsPrompt) {
    wchar_t temp[MAX_PATH] = {};
    const std::wstring folder(temp, ::GetTempPathW(MAX_PATH, temp) - 1);  // without the last '\'
    // As the DCPROMO window does: the piece that ends in the prompt ends it.
    onPiece = [&](const std::wstring& piece) {
        if (piece.back() == L'>') capture->Cancel();
    };
    capture->RunProcess(L"cmd /k", folder);
    EndChild();
    const std::wstring prompt = folder + L">";
    ASSERT_GE(text.size(), prompt.size()) << std::string(text.begin(), text.end());
    EXPECT_EQ(_wcsicmp(text.substr(text.size() - prompt.size()).c_str(), prompt.c_str()), 0);
}

}  // namespace

int main(int argc, char** argv) { return child::Main(argc, argv); }
