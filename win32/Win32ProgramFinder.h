#pragma once
// Finds a program as process creation does for a command line without an
// application name: the program's folder, then the system's search path.
#include "sysaccess/ICommandRunner.h"

namespace win32 {

class Win32ProgramFinder : public sysaccess::IProgramFinder {
  public:
    bool Exists(const std::wstring& program) override;
};

}  // namespace win32
