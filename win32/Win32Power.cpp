#include "win32/Win32Power.h"

#include <windows.h>

namespace win32 {

bool Win32Power::RequestExit(std::uint32_t flags, std::uint32_t reason) {
    // Asked without enabling the shutdown privilege first; shutdown.exe, started
    // next by the caller, does the work when this is refused.
    return ::ExitWindowsEx(flags, reason) != FALSE;
}

}  // namespace win32
