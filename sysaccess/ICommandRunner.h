#pragma once
// Running command lines of the operating system's tools.
#include <string>

namespace sysaccess {

class ICommandRunner {
  public:
    virtual ~ICommandRunner() = default;
    // Runs commandLine hidden and returns everything it printed on the chosen
    // streams as one text; see CmdOutput for the exact contract. Throws
    // VbError(kErrInvalidArgument) when neither stream is asked for.
    virtual std::wstring RunAndCaptureOutput(const std::wstring& commandLine, bool captureStdOut,
                                             bool captureStdErr, bool oemToAnsi) = 0;
};

// Starts a process without waiting for it. showWindow is the window style
// handed to the child (0 hidden, 1 normal with focus). Returns false when the
// process could not be started.
class IProcessLauncher {
  public:
    virtual ~IProcessLauncher() = default;
    virtual bool StartDetached(const std::wstring& commandLine, int showWindow) = 0;
};

// Whether a program can be found where the runner would look for it: the
// program's own folder first, then the system's search path.
class IProgramFinder {
  public:
    virtual ~IProgramFinder() = default;
    virtual bool Exists(const std::wstring& program) = 0;
};

}  // namespace sysaccess
