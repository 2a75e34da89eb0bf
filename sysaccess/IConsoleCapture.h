#pragma once
// A console child process whose output arrives piece by piece while it runs.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "sysaccess/VbError.h"

namespace sysaccess {

// Every error of a capture carries this source.
inline constexpr const wchar_t* kConsoleCaptureSource = L"ConsoleCapture";

// RunProcess while a run is in progress (0x80040190).
constexpr std::int32_t kErrConsoleBusy = kObjectErrorBase + 400;
// The pipe for the child's output could not be made (0x80040191).
constexpr std::int32_t kErrConsolePipe = kObjectErrorBase + 401;
// The child could not be started (0x80040192).
constexpr std::int32_t kErrConsoleLaunch = kObjectErrorBase + 402;

inline constexpr const wchar_t* kConsoleBusyText = L"A process is already running";
inline constexpr const wchar_t* kConsolePipeText = L"An error occured while creating the pipe";
inline constexpr const wchar_t* kConsoleLaunchText =
    L"An error occured while launching the process";

// What a child that has not ended yet reports as its exit code.
constexpr std::int32_t kStillActive = 259;

// The largest piece of output handed to ReadProcess, in characters.
constexpr std::size_t kConsolePieceSize = 1024;

class IConsoleCapture {
  public:
    virtual ~IConsoleCapture() = default;
    // Raised once per piece of output (at most kConsolePieceSize characters),
    // from inside RunProcess, on the caller's thread. The handler may call
    // Cancel; no further piece is delivered after that.
    std::function<void(const std::wstring& readData)> ReadProcess;
    // Called while RunProcess waits, whenever the user interface has events
    // pending (and now and then besides), so that the owner's windows stay
    // responsive; normally the shell's DoEvents. Handlers run nested inside it
    // and may call Cancel or RunProcess (which is refused while busy).
    std::function<void()> ProcessEvents;

    // The command line of the run in progress; empty when idle.
    virtual std::wstring CommandLine() const = 0;
    // The child's process identifier while a run is in progress; 0 when idle.
    virtual std::int32_t ProcessID() const = 0;
    // Runs cmdLine hidden, with its standard output and standard error
    // captured and no standard input, and returns once its output has ended or
    // Cancel was called: the child's exit code, kStillActive when it still
    // runs. Throws VbError with source kConsoleCaptureSource: kErrConsoleBusy
    // (the run in progress is left alone), kErrConsolePipe, kErrConsoleLaunch.
    // startDir is the child's working directory (the caller's when omitted).
    virtual std::int32_t RunProcess(const std::wstring& cmdLine,
                                    const std::optional<std::wstring>& startDir = std::nullopt) = 0;
    // Ends the capture at its next turn. The child is not stopped; it goes on
    // without anybody reading its output. No effect on a later run.
    virtual void Cancel() = 0;
    virtual bool Busy() const = 0;
};

class IConsoleCaptureFactory {
  public:
    virtual ~IConsoleCaptureFactory() = default;
    virtual std::unique_ptr<IConsoleCapture> Create() = 0;
};

}  // namespace sysaccess
