// The command runner against real child processes under the real pipe and
// process functions.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "sysaccess/CmdOutput.h"
#include "sysaccess/VbError.h"
#include "tests/wine/runner/ChildProcess.h"
#include "win32/Win32CommandRunner.h"

namespace {

using runner_test::ChildCommandLine;

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::wstring Decode(UINT codePage, const std::string& bytes) {
    const int n = ::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                                        nullptr, 0);
    std::wstring text(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                          n);
    return text;
}

struct Runner : ::testing::Test {
    win32::Win32CommandRunner runner;
    std::wstring Run(const std::wstring& mode, bool out = true, bool err = false, bool oem = true) {
        return runner.RunAndCaptureOutput(ChildCommandLine(mode), out, err, oem);
    }
};

TEST_F(Runner, ChildThatPrintsNothingGivesEmptyText) {
    EXPECT_EQ(Run(L"emit:0"), L"");
    EXPECT_EQ(Run(L"emit:0", true, true, false), L"");
}

TEST_F(Runner, OutputOfSeveralChunksComesBackWholeAndInOrder) {
    for (std::size_t size : {1u, 1023u, 1024u, 1025u, 2048u, 3000u, 5 * 1024u + 17u, 200000u}) {
        const std::wstring text = Run(L"emit:" + std::to_wstring(size));
        ASSERT_EQ(text.size(), size) << "size " << size;
        EXPECT_TRUE(text == Widen(runner_test::Pattern(size))) << "size " << size;
    }
}

TEST_F(Runner, NeitherStreamIsAnInvalidArgument) {
    try {
        runner.RunAndCaptureOutput(ChildCommandLine(L"emit:10"), false, false, true);
        FAIL() << "no error raised";
    } catch (const sysaccess::VbError& e) {
        EXPECT_EQ(e.Number(), 5);
    }
}

TEST_F(Runner, OemBytesAreConvertedFromTheOemCodePage) {
    // 0x82, 0x8A and 0xC9 are é, è and a box-drawing corner in code page 437
    // (é and è in 850 too); the corner is not in the ANSI code page and must
    // survive.
    const std::string bytes =
        "\x82"
        "a\x8A\xC9\r\n";
    const std::wstring text = Run(L"bytes:82618AC90D0A");
    EXPECT_EQ(text, Decode(CP_OEMCP, bytes));
    const UINT oem = ::GetOEMCP();
    if (oem == 437 || oem == 850) {
        EXPECT_EQ(text.substr(0, 3), L"\u00E9a\u00E8");
    }
    if (oem == 437) {
        EXPECT_EQ(text.substr(3), L"\u2554\r\n");
    }
}

TEST_F(Runner, WithoutOemConversionBytesAreAnsiText) {
    const std::string bytes = "caf\xE9 \x80\r\n";
    const std::wstring text = Run(L"bytes:636166E920800D0A", true, false, false);
    EXPECT_EQ(text, Decode(CP_ACP, bytes));
    if (::GetACP() == 1252) {
        EXPECT_EQ(text, L"caf\u00E9 \u20AC\r\n");
    }
}

TEST_F(Runner, StandardOutputAndErrorInterleaveInOnePipe) {
    std::wstring both, outOnly, errOnly;
    for (int i = 0; i < 200; ++i) {
        both += L"out " + std::to_wstring(i) + L"\r\nerr " + std::to_wstring(i) + L"\r\n";
        outOnly += L"out " + std::to_wstring(i) + L"\r\n";
        errOnly += L"err " + std::to_wstring(i) + L"\r\n";
    }
    EXPECT_EQ(Run(L"interleave:200", true, true), both);
    EXPECT_EQ(Run(L"interleave:200", true, false), outOnly);
    EXPECT_EQ(Run(L"interleave:200", false, true), errOnly);
    EXPECT_EQ(Run(L"stderr:only-error", true, false), L"");
    EXPECT_EQ(Run(L"stderr:only-error", false, true), L"only-error");
}

TEST_F(Runner, ProgramThatDoesNotExistGivesTheFixedText) {
    EXPECT_EQ(runner.RunAndCaptureOutput(L"quillon-no-such-program.exe /x", true, false, true),
              L"Failed to create process, check the path of the command line.");
    EXPECT_EQ(runner.RunAndCaptureOutput(L"", true, true, false),
              L"Failed to create process, check the path of the command line.");
}

TEST_F(Runner, CommandLineIsHandedOverUnchanged) {
    const std::wstring commandLine = ChildCommandLine(L"cmdline") + L"  \"two words\" x*y?z";
    // The child echoes its command line in UTF-8; the ANSI path reads it back
    // as long as it is ASCII, which this one is.
    EXPECT_EQ(runner.RunAndCaptureOutput(commandLine, true, false, false), commandLine);
}

TEST_F(Runner, GrandchildHoldingThePipeKeepsTheCallWaiting) {
    // The child exits at once; only the grandchild's late line shows that the
    // call waited for every writer.
    EXPECT_EQ(Run(L"grandchild:1500"), L"parent\r\ngrandchild\r\n");
}

// Open handles of this process. Wine's GetProcessHandleCount always reports
// 0, so every handle value in the table's range is probed instead.
std::size_t OpenHandleCount() {
    std::size_t count = 0;
    for (std::uintptr_t value = 4; value < 0x4000; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

TEST_F(Runner, NoHandleIsLeftOpen) {
    // Warm up whatever the system opens once per process.
    Run(L"emit:10", true, true);
    runner.RunAndCaptureOutput(L"quillon-no-such-program.exe", true, false, true);
    const std::size_t before = OpenHandleCount();
    ASSERT_GT(before, 0u);
    for (int i = 0; i < 50; ++i) {
        switch (i % 4) {
            case 0:
                ASSERT_EQ(Run(L"emit:2000", true, true).size(), 2000u);
                break;
            case 1:
                ASSERT_EQ(Run(L"interleave:3", false, true), L"err 0\r\nerr 1\r\nerr 2\r\n");
                break;
            case 2:
                ASSERT_EQ(Run(L"emit:0", true, false, false), L"");
                break;
            default:
                ASSERT_EQ(
                    runner.RunAndCaptureOutput(L"quillon-no-such-program.exe", true, true, true),
                    sysaccess::kCreateProcessFailedText);
        }
    }
    const std::size_t after = OpenHandleCount();
    EXPECT_EQ(after, before);
    // The count does see a handle that stays open.
    const HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(OpenHandleCount(), after + 1);
    ::CloseHandle(event);
}

TEST_F(Runner, DoubleByteOemTextCutAtEverySeamComesBackWhole) {
    // Wine takes the code pages from the Unix locale it was started with:
    // run the tests with LC_ALL=ja_JP.UTF-8 to have the OEM code page 932.
    if (::GetOEMCP() != 932) GTEST_SKIP() << "OEM code page " << ::GetOEMCP() << ", not 932";
    std::wstring expected(1023, L'x');
    for (int i = 0; i < 600; ++i) expected += L"\u65E5\u672C\u8A9E";
    EXPECT_TRUE(Run(L"sjis") == expected);
}

// The code-page adapter with real conversions, cut at every byte.
std::wstring DecodeInTwo(const win32::WindowsCodePage& cp, const std::string& bytes,
                         std::size_t cut) {
    sysaccess::ChunkedTextDecoder decoder(cp);
    std::wstring out;
    decoder.Append(bytes.data(), cut, out);
    decoder.Append(bytes.data() + cut, bytes.size() - cut, out);
    decoder.Finish(out);
    return out;
}

TEST(WindowsCodePage, DoubleByteCharactersSurviveEveryCut) {
    const win32::WindowsCodePage shiftJis(932);
    ASSERT_EQ(shiftJis.Layout().kind, sysaccess::CodePageLayout::Kind::DoubleByte);
    EXPECT_TRUE(shiftJis.Layout().leadByte[0x81]);
    EXPECT_TRUE(shiftJis.Layout().leadByte[0xE0]);
    EXPECT_FALSE(shiftJis.Layout().leadByte[0x41]);
    // "日本語 OK" in Shift-JIS; 0x96 0x7B: the trail byte of 本 is '{'.
    const std::string bytes = "\x93\xFA\x96\x7B\x8C\xEA OK";
    for (std::size_t cut = 0; cut <= bytes.size(); ++cut)
        EXPECT_EQ(DecodeInTwo(shiftJis, bytes, cut), L"\u65E5\u672C\u8A9E OK") << "cut " << cut;
}

TEST(WindowsCodePage, Utf8CharactersSurviveEveryCut) {
    const win32::WindowsCodePage utf8(CP_UTF8);
    ASSERT_EQ(utf8.Layout().kind, sysaccess::CodePageLayout::Kind::Utf8);
    const std::string bytes = "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80!";
    for (std::size_t cut = 0; cut <= bytes.size(); ++cut)
        EXPECT_EQ(DecodeInTwo(utf8, bytes, cut), L"\u00E9\u20AC\U0001F600!") << "cut " << cut;
}

TEST(WindowsCodePage, SystemCodePagesAreResolved) {
    EXPECT_EQ(win32::WindowsCodePage(CP_OEMCP).Number(), ::GetOEMCP());
    EXPECT_EQ(win32::WindowsCodePage(CP_ACP).Number(), ::GetACP());
    EXPECT_EQ(win32::WindowsCodePage(1252).Layout().kind,
              sysaccess::CodePageLayout::Kind::SingleByte);
}

}  // namespace
