#include <windows.h>

#include "win32/Win32ProgramFinder.h"

namespace win32 {

bool Win32ProgramFinder::Exists(const std::wstring& program) {
    // SearchPath looks in the program's own folder first, then in the current
    // folder, the system folders and PATH, the order CreateProcess follows.
    wchar_t found[MAX_PATH];
    const DWORD length = ::SearchPathW(nullptr, program.c_str(), nullptr, MAX_PATH, found, nullptr);
    return length > 0 && length < MAX_PATH;
}

}  // namespace win32
