#pragma once
// Runs a command line hidden with its output redirected into a pipe and
// returns what it printed, decoded from the OEM or the ANSI code page.
#include <array>
#include <string>

#include "sysaccess/CmdOutput.h"
#include "sysaccess/ICommandRunner.h"

namespace win32 {

// A Windows code page, decoded with MultiByteToWideChar; a single-byte one
// (every OEM and ANSI code page outside East Asia) through a table of its 256
// characters made with it, which is many times faster on megabytes of output.
class WindowsCodePage : public sysaccess::ICodePage {
  public:
    // codePage may be CP_ACP (0) or CP_OEMCP (1): they are resolved to the
    // system's code page of that kind at once.
    explicit WindowsCodePage(unsigned int codePage);
    unsigned int Number() const { return number_; }
    const sysaccess::CodePageLayout& Layout() const override { return layout_; }
    void AppendDecoded(const char* data, std::size_t size, std::wstring& out) const override;

  private:
    unsigned int number_;
    sysaccess::CodePageLayout layout_;
    bool byTable_ = false;
    std::array<wchar_t, 256> table_{};
};

class Win32CommandRunner : public sysaccess::ICommandRunner {
  public:
    std::wstring RunAndCaptureOutput(const std::wstring& commandLine, bool captureStdOut,
                                     bool captureStdErr, bool oemToAnsi) override;
};

}  // namespace win32
