// The console capture on real children (ChildProcess.h) and the command interpreter.
#include <windows.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "sysaccess/IConsoleCapture.h"
#include "sysaccess/TextCase.h"
#include "sysaccess/VbError.h"
#include "tests/wine/process/ChildProcess.h"
#include "win32/Win32ConsoleCapture.h"

namespace {

using child::CommandLine;

// Who cancels the capture: nobody, the handler of the first piece, the user's events while the
// child is silent (a timer stands for a button), or the handler of the piece ending in a prompt.
enum class Cancel { No, InHandler, FromEvents, AtPrompt };

TEST(ConsoleCapture, OneChildAtATimeItsOutputInPiecesUntilItEndsOrIsCancelled) {
    wchar_t temp[MAX_PATH] = {};
    const std::wstring folder(temp, ::GetTempPathW(MAX_PATH, temp) - 1);  // without the last '\'
    const std::string pattern = child::Pattern(5000);
    const struct {
        std::wstring commandLine;
        Cancel cancel;
        std::wstring outcome, text;  // a cancelled capture returns 259 and leaves its child running
    } cases[] = {
        {CommandLine(L"emit:5000"), Cancel::No, L"0", std::wstring(pattern.begin(), pattern.end())},
        {L"C:\\no\\such\\folder\\quillon-missing-tool.exe /x", Cancel::No,
         L"-2147221102 ConsoleCapture: An error occured while launching the process", L""},
        {CommandLine(L"hold:300"), Cancel::No, L"3", L"ready, done"},
        {CommandLine(L"hold:20000"), Cancel::InHandler, L"259", L"ready"},
        {CommandLine(L"hold:20000"), Cancel::FromEvents, L"259", L"ready"},
        // As the DCPROMO window does; the text ends in the prompt of the given folder. The
        // interpreter may end by itself first, as its input has ended: either outcome.
        {L"cmd /k", Cancel::AtPrompt, L"", folder + L">"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.commandLine.begin(), c.commandLine.end()));
        std::unique_ptr<sysaccess::IConsoleCapture> capture =
            win32::Win32ConsoleCaptureFactory().Create();
        auto run = [&](const std::wstring& commandLine) -> std::wstring {
            try {
                return std::to_wstring(capture->RunProcess(commandLine, folder));
            } catch (const sysaccess::VbError& e) {
                return std::to_wstring(e.Number()) + L" " + e.Source() + L": " + e.Description();
            }
        };
        std::wstring text;
        std::int32_t pid = 0;
        capture->ReadProcess = [&](const std::wstring& piece) {
            text += piece;
            pid = capture->ProcessID();
            EXPECT_LE(piece.size(), 1024u);
            EXPECT_EQ(capture->CommandLine(), c.commandLine);
            // A second run meanwhile leaves the first as it was.
            EXPECT_EQ(run(CommandLine(L"hold:10")),
                      L"-2147221104 ConsoleCapture: A process is already running");
            if (c.cancel == Cancel::InHandler ||
                (c.cancel == Cancel::AtPrompt && piece.back() == L'>'))
                capture->Cancel();
            if (c.cancel == Cancel::FromEvents) ::SetTimer(nullptr, 0, 200, nullptr);
        };
        capture->ProcessEvents = [&] {
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                if (msg.message == WM_TIMER && ::KillTimer(nullptr, msg.wParam)) capture->Cancel();
        };
        const std::wstring outcome = run(c.commandLine);
        EXPECT_TRUE(c.outcome.empty() || outcome == c.outcome) << outcome;
        const bool prompt = c.cancel == Cancel::AtPrompt;
        EXPECT_TRUE(prompt ? text.size() >= c.text.size() &&
                                 sysaccess::EqualsIgnoreCase(
                                     text.substr(text.size() - c.text.size()), c.text)
                           : text == c.text);
        EXPECT_EQ(capture->ProcessID(), 0);  // idle again after every run
        EXPECT_EQ(capture->CommandLine(), L"");
        EXPECT_FALSE(capture->Busy());
        HANDLE child = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, DWORD(pid));
        if (!c.outcome.empty())
            EXPECT_EQ(child && ::WaitForSingleObject(child, 0) == WAIT_TIMEOUT, outcome == L"259");
        if (child && ::TerminateProcess(child, 1)) ::WaitForSingleObject(child, 5000);
        if (child) ::CloseHandle(child);
    }
}

}  // namespace
