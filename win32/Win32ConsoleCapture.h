#pragma once
// The console capture on Win32: the child writes into a pipe whose reading end
// this side reads with overlapped I/O, so that the wait for output and the
// wait for user-interface messages are one MsgWaitForMultipleObjects call.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "sysaccess/IConsoleCapture.h"

namespace win32 {

class Win32ConsoleCapture : public sysaccess::IConsoleCapture {
  public:
    Win32ConsoleCapture() = default;

    std::wstring CommandLine() const override { return commandLine_; }
    std::int32_t ProcessID() const override { return processId_; }
    std::int32_t RunProcess(const std::wstring& cmdLine,
                            const std::optional<std::wstring>& startDir = std::nullopt) override;
    void Cancel() override { cancelRequested_ = true; }
    bool Busy() const override { return busy_; }

  private:
    std::int32_t Capture(const std::wstring& cmdLine, const std::optional<std::wstring>& startDir);
    void PumpEvents();

    bool busy_ = false;
    bool cancelRequested_ = false;
    std::wstring commandLine_;
    std::int32_t processId_ = 0;
};

class Win32ConsoleCaptureFactory : public sysaccess::IConsoleCaptureFactory {
  public:
    std::unique_ptr<sysaccess::IConsoleCapture> Create() override {
        return std::make_unique<Win32ConsoleCapture>();
    }
};

}  // namespace win32
