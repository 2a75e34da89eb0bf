#pragma once
// Copies the NUL-terminated UTF-16 text that a network-management call left at
// an address it returned (a user name, a group name, a join name).
#include <string>

namespace sysaccess {

// A null address gives the empty text; otherwise the UTF-16 code units up to,
// not including, the first NUL. Reads 16-bit units whatever the width of
// wchar_t, so the same code serves the Windows build and native tests.
std::wstring StringFromPointer(const void* address);

}  // namespace sysaccess
