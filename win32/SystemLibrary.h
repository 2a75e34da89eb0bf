#pragma once
// DLLs that the main menu does not need are loaded the first time a window
// needs them, not when the program starts: every DLL in the import table is
// loaded (and under Wine set up) before the first window can paint.
//
// They are loaded from the system's own folder only, never from the
// program's folder or the search path, so a planted copy is never used.
#include <windows.h>

namespace win32 {

class SystemLibrary {
  public:
    // fileName: a DLL of the system folder, such as L"netapi32.dll".
    explicit SystemLibrary(const wchar_t* fileName) : fileName_(fileName) {}
    ~SystemLibrary();
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    // The export of that name, typed as the system header declares it
    // (Function<decltype(::NetUserEnum)>("NetUserEnum")); nullptr when the
    // DLL cannot be loaded or lacks the export, and Error() says why.
    template <typename Declared>
    Declared* Function(const char* name) {
        // Through void(*)(), the one pointer type that converts to any
        // function type without a warning.
        return reinterpret_cast<Declared*>(reinterpret_cast<void (*)()>(Export(name)));
    }
    // Loads the DLL now, if it is not loaded yet; false when it cannot be.
    bool Load();
    // The system's error code of the last failure to load or to find an export.
    DWORD Error() const { return error_; }

  private:
    FARPROC Export(const char* name);

    const wchar_t* fileName_;
    HMODULE module_ = nullptr;
    DWORD error_ = 0;
};

// The DLLs the program loads on demand, one instance each for the whole
// process (freed when it ends).
SystemLibrary& Netapi32();  // local users, groups and domain membership
SystemLibrary& Iphlpapi();  // the network parameters (DNS domain)
SystemLibrary& Ole32();     // COM: binding monikers and directory paths
SystemLibrary& OleAut32();  // late-bound calls: texts, variants, arrays, errors

}  // namespace win32
