// The command runner on real children, pipes and code pages, and the thread that waits.
#include <atomic>
#include <cstdint>
#include <thread>

#include "sysaccess/CmdOutput.h"
#include "sysaccess/VbError.h"
#include "tests/wine/process/ChildProcess.h"
#include "win32/Win32CommandRunner.h"

namespace {

using child::CommandLine;

std::wstring Decode(UINT codePage, const std::string& bytes) {
    wchar_t text[64];
    return std::wstring(text, ::MultiByteToWideChar(codePage, 0, bytes.data(),
                                                    static_cast<int>(bytes.size()), text, 64));
}

// Wine's GetProcessHandleCount always reports 0: every handle value is probed.
std::size_t OpenHandleCount() {
    std::size_t count = 0;
    DWORD flags = 0;
    for (std::uintptr_t value = 4; value < 0x4000; value += 4)
        count += ::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    return count;
}

TEST(Runner, ReturnsWhatTheChildWroteAndLeavesNothingBehind) {
    // The child's lines as the OEM code page (é in 437) or the ANSI one (‚ in 1252) shows them.
    const std::string pattern = child::Pattern(200017);
    ASSERT_NE(Decode(CP_OEMCP, "\x82"), Decode(CP_ACP, "\x82"));
    const struct {
        std::wstring commandLine;
        bool out, err, oem;
        std::wstring expected;
    } cases[] = {
        {CommandLine(L"emit:1"), false, false, true, L"error 5"},  // neither stream
        {CommandLine(L"emit:0"), true, true, false, L""},
        {CommandLine(L"emit:200017"), true, false, true,  // several reads, seams anywhere
         std::wstring(pattern.begin(), pattern.end())},
        {CommandLine(L"interleave:2"), true, true, true,
         Decode(CP_OEMCP, "out \x82 0\r\nerr \x82 0\r\nout \x82 1\r\nerr \x82 1\r\n")},
        {CommandLine(L"interleave:2"), true, false, false,
         Decode(CP_ACP, "out \x82 0\r\nout \x82 1\r\n")},
        {CommandLine(L"interleave:2"), false, true, true,
         Decode(CP_OEMCP, "err \x82 0\r\nerr \x82 1\r\n")},
        // The child ends at once: only a run that waits for every writer of
        // the pipe sees the grandchild's last words.
        {CommandLine(L"grandchild:1500"), true, false, true, L"parent\r\nready, done"},
        {L"quillon-no-such-program.exe /x", true, false, true, sysaccess::kCreateProcessFailedText},
        {L"", true, true, false, sysaccess::kCreateProcessFailedText},
    };
    win32::Win32CommandRunner runner;
    const HCURSOR arrow = ::LoadCursorW(nullptr, IDC_ARROW);
    // Taken after the first two rows: the system opens some handles once, for the first run and
    // for the first exception.
    std::size_t handles = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.commandLine.begin(), c.commandLine.end()));
        ::SetCursor(arrow);
        std::wstring output;
        try {
            output = runner.RunAndCaptureOutput(c.commandLine, c.out, c.err, c.oem);
        } catch (const sysaccess::VbError& e) {
            output = L"error " + std::to_wstring(e.Number());
        }
        EXPECT_TRUE(output == c.expected);
        EXPECT_EQ(::GetCursor(), arrow);
        if (&c - cases < 2) handles = OpenHandleCount();
        EXPECT_EQ(OpenHandleCount(), handles);
    }
    const HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(OpenHandleCount(), handles + 1);  // the count does see a handle left open
    ::CloseHandle(event);
}

// What reached the window while the tool ran, and after.
struct {
    std::atomic<bool> running{true}, invalidated{false};
    RECT area{10, 20, 60, 70};
    HCURSOR cursor = nullptr;                                       // while it painted
    int areaPaints = 0, handledWhileRunning = 0, handledAfter = 0;  // of the click and the message
} seen;

LRESULT CALLBACK Observe(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    PAINTSTRUCT paint;
    RECT both{};
    if (message == WM_PAINT && ::BeginPaint(hwnd, &paint)) {
        if (seen.running && seen.invalidated &&
            ::IntersectRect(&both, &paint.rcPaint, &seen.area) && ::EqualRect(&both, &seen.area)) {
            ++seen.areaPaints;
            seen.cursor = ::GetCursor();
        }
        ::EndPaint(hwnd, &paint);
    }
    if (message == WM_LBUTTONUP || message == WM_APP)
        ++(seen.running ? seen.handledWhileRunning : seen.handledAfter);
    return message == WM_PAINT ? 0 : ::DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST(Runner, WindowsRepaintWhileAToolRunsAndInputWaitsForItsEnd) {
    const WNDCLASSW windowClass{0,       Observe, 0,       0,       nullptr,
                                nullptr, nullptr, nullptr, nullptr, L"QuillonRunnerTest"};
    ::RegisterClassW(&windowClass);
    HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0,
                                    300, 200, nullptr, nullptr, nullptr, nullptr);
    ::ShowWindow(window, SW_SHOW);
    MSG msg;
    for (int i = 0; i < 20; ++i, ::Sleep(10))  // the first paints, and what the display adds
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    // While the tool is silent: part of the window needs painting, the user
    // clicks, another thread sends a message; after five seconds the system
    // is asked whether the window hangs.
    bool hung = true;
    std::thread user([&] {
        ::Sleep(500);
        seen.invalidated = true;
        ::InvalidateRect(window, &seen.area, FALSE);
        ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        ::PostMessageW(window, WM_LBUTTONUP, 0, 0);
        ::SendNotifyMessageW(window, WM_APP, 0, 0);
        ::Sleep(5200);
        hung = ::IsHungAppWindow(window) != FALSE;
    });
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(win32::Win32CommandRunner().RunAndCaptureOutput(CommandLine(L"hold:6500"), true,
                                                              false, true),
              L"ready, done");
    seen.running = false;
    user.join();
    EXPECT_EQ(seen.areaPaints, 1);
    EXPECT_EQ(seen.cursor, ::LoadCursorW(nullptr, IDC_WAIT));
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_FALSE(hung);
    EXPECT_EQ(seen.handledWhileRunning, 0);
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    EXPECT_EQ(seen.handledAfter, 2);
    ::DestroyWindow(window);
}

// The system's code-page tables (lead bytes, conversion), read in pieces of every size.
TEST(WindowsCodePage, CharactersSurviveEverySeam) {
    const struct {
        UINT codePage;
        std::string bytes;
        std::wstring text;
    } cases[] = {
        // "日本語 OK" in Shift-JIS; the trail byte of 本 (0x7B) is '{'.
        {932, "\x93\xFA\x96\x7B\x8C\xEA OK", L"\u65E5\u672C\u8A9E OK"},
        {CP_UTF8, "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80!", L"\u00E9\u20AC\U0001F600!"},
    };
    for (const auto& c : cases)
        for (std::size_t piece = 1, at = 0; piece <= c.bytes.size(); ++piece, at = 0)
            EXPECT_EQ(sysaccess::ReadAllText(
                          [&](char* buffer, std::size_t capacity, std::size_t& read) {
                              at += read = c.bytes.copy(buffer, capacity, at);
                              return read > 0;
                          },
                          win32::WindowsCodePage(c.codePage), piece),
                      c.text)
                << "code page " << c.codePage << ", pieces of " << piece;
    EXPECT_EQ(win32::WindowsCodePage(CP_OEMCP).Number(), ::GetOEMCP());
    EXPECT_EQ(win32::WindowsCodePage(CP_ACP).Number(), ::GetACP());
}

}  // namespace

int main(int argc, char** argv) { return child::Main(argc, argv); }
