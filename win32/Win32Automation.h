#pragma once
// sysaccess::IObjectBinder over COM: display names ("winmgmts:..." monikers,
// "WinNT://..." directory paths) are bound with CoGetObject, and the objects
// are used by name through IDispatch, as late-bound script code does.
//
// Argument conventions: texts go by reference (VT_BYREF | VT_BSTR), 16-bit
// integers as VT_I2, 32-bit ones as VT_I4, null as VT_NULL, lists as arrays
// of variants. Every failure becomes sysaccess::VbError carrying the HRESULT
// as its number and the error's own description (from EXCEPINFO or the
// thread's error information) or else the system's text for the HRESULT.
#include <string>

#include "sysaccess/IAutomation.h"

namespace win32 {

class Win32ObjectBinder : public sysaccess::IObjectBinder {
  public:
    // The first binding joins the calling thread to COM (a single-threaded
    // apartment) until the binder goes; harmless when the thread already is.
    Win32ObjectBinder() = default;
    ~Win32ObjectBinder() override;
    Win32ObjectBinder(const Win32ObjectBinder&) = delete;
    Win32ObjectBinder& operator=(const Win32ObjectBinder&) = delete;

    sysaccess::AutoObjectPtr Bind(const std::wstring& displayName) override;

  private:
    bool comJoined_ = false;
    bool comInitialized_ = false;
};

// The description a failing HRESULT carries when no error object says more:
// the system's message text, or "Automation error 0x........".
std::wstring DescribeHresult(long hr);

}  // namespace win32
