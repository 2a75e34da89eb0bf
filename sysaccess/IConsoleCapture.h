#pragma once
// A console child process whose output arrives piece by piece while it runs.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace sysaccess {

class IConsoleCapture {
public:
    virtual ~IConsoleCapture() = default;
    // Raised once per piece of output (at most 1024 characters), from inside
    // RunProcess, on the caller's thread.
    std::function<void(const std::wstring& readData)> ReadProcess;

    virtual std::wstring CommandLine() const = 0;
    virtual std::int32_t ProcessID() const = 0;
    // Returns the child's exit code (259 while it still runs). Throws
    // VbError with source "ConsoleCapture" on busy, pipe and launch failures.
    virtual std::int32_t RunProcess(const std::wstring& cmdLine,
                                    const std::optional<std::wstring>& startDir = std::nullopt) = 0;
    virtual void Cancel() = 0;
};

class IConsoleCaptureFactory {
public:
    virtual ~IConsoleCaptureFactory() = default;
    virtual std::unique_ptr<IConsoleCapture> Create() = 0;
};

}  // namespace sysaccess
