// The console capture on real children (ChildProcess.h) and the command interpreter.
#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sysaccess/IConsoleCapture.h"
#include "sysaccess/VbError.h"
#include "tests/wine/process/ChildProcess.h"
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
    // The exit code, or the error raised as "number source: description".
    std::wstring Run(const std::wstring& commandLine) {
        try {
            return std::to_wstring(capture->RunProcess(commandLine));
        } catch (const sysaccess::VbError& e) {
            return std::to_wstring(e.Number()) + L" " + e.Source() + L": " + e.Description();
        }
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

TEST_F(ConsoleCapture, OneChildAtATimeItsOutputInOrderInPiecesOfAtMost1024) {
    const std::wstring line = CommandLine(L"emit:5000");
    onPiece = [&](const std::wstring& piece) {  // a second run meanwhile leaves the first as it was
        EXPECT_LE(piece.size(), 1024u);
        EXPECT_EQ(Run(CommandLine(L"hold:10")),
                  L"-2147221104 ConsoleCapture: A process is already running");
        EXPECT_EQ(capture->CommandLine(), line);
    };
    EXPECT_EQ(Run(line), L"0");
    EXPECT_GE(pieces.size(), 5u);
    EXPECT_TRUE(std::string(text.begin(), text.end()) == child::Pattern(5000));
    EXPECT_EQ(seenLine, line);
    EXPECT_NE(seenPid, 0);
    onPiece = [](const std::wstring&) {};
    const struct {
        std::wstring commandLine, outcome, text;
    } cases[] = {
        {L"C:\\no\\such\\folder\\quillon-missing-tool.exe /x",
         L"-2147221102 ConsoleCapture: An error occured while launching the process", L""},
        {CommandLine(L"hold:300"), L"3", L"ready, done"},  // ended: its exit code
    };
    for (const auto& c : cases) {
        text.clear();
        EXPECT_EQ(Run(c.commandLine), c.outcome);
        EXPECT_EQ(text, c.text);
    }
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
