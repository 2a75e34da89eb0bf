#include "win32/SystemLibrary.h"

#include <string>

namespace win32 {

namespace {

// LoadLibraryExW's flag for "the system folder only"; systems without the
// safe-search update (Windows Server 2008 before KB2533623) refuse it.
constexpr DWORD kSearchSystem32 = 0x00000800;

HMODULE LoadFromSystemFolder(const wchar_t* fileName) {
    HMODULE module = ::LoadLibraryExW(fileName, nullptr, kSearchSystem32);
    if (module || ::GetLastError() != ERROR_INVALID_PARAMETER) return module;
    // The full path, with the DLL's own dependencies looked for beside it.
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\" + fileName;
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

SystemLibrary::~SystemLibrary() {
    if (module_) ::FreeLibrary(module_);
}

bool SystemLibrary::Load() {
    if (module_) return true;
    module_ = LoadFromSystemFolder(fileName_);
    if (!module_) error_ = ::GetLastError() ? ::GetLastError() : ERROR_MOD_NOT_FOUND;
    return module_ != nullptr;
}

FARPROC SystemLibrary::Export(const char* name) {
    if (!Load()) return nullptr;
    const FARPROC function = ::GetProcAddress(module_, name);
    if (!function) error_ = ERROR_PROC_NOT_FOUND;
    return function;
}

SystemLibrary& Netapi32() {
    static SystemLibrary library(L"netapi32.dll");
    return library;
}

SystemLibrary& Iphlpapi() {
    static SystemLibrary library(L"iphlpapi.dll");
    return library;
}

SystemLibrary& Ole32() {
    static SystemLibrary library(L"ole32.dll");
    return library;
}

SystemLibrary& OleAut32() {
    static SystemLibrary library(L"oleaut32.dll");
    return library;
}

}  // namespace win32
