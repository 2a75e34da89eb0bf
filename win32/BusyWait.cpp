#include "win32/BusyWait.h"

namespace win32 {

namespace {

BOOL CALLBACK PaintNow(HWND window, LPARAM) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return TRUE;
}

}  // namespace

WaitCursor::WaitCursor() : previous_(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}

WaitCursor::~WaitCursor() {
    ::SetCursor(previous_ ? previous_ : ::LoadCursorW(nullptr, IDC_ARROW));
}

void WaitRepainting(HANDLE done) {
    // A thread that waits on its queue counts as responding, so the system
    // does not mark the windows as hung however long the wait. The windows
    // are painted directly rather than through PeekMessage, which would also
    // run the handlers of messages that other threads send meanwhile.
    for (;;) {
        const DWORD woke =
            ::MsgWaitForMultipleObjectsEx(1, &done, INFINITE, QS_PAINT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0) return;
        if (woke != WAIT_OBJECT_0 + 1) {
            ::WaitForSingleObject(done, INFINITE);
            return;
        }
        ::EnumThreadWindows(::GetCurrentThreadId(), &PaintNow, 0);
    }
}

}  // namespace win32
