#pragma once
#include "sysaccess/ICommandRunner.h"

namespace win32 {

// Starts a command line with CreateProcessW and does not wait for it; the
// child gets showWindow as its first ShowWindow value.
class Win32ProcessLauncher : public sysaccess::IProcessLauncher {
  public:
    bool StartDetached(const std::wstring& commandLine, int showWindow) override;
};

}  // namespace win32
