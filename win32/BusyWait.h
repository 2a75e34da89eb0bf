#pragma once
// Blocking the user-interface thread without freezing its windows: while an
// operation that the caller must wait for runs, the thread repaints its
// windows and nothing else, and the mouse shows the wait cursor.
#include <windows.h>

namespace win32 {

// Shows the wait cursor from construction to destruction, whatever way the
// scope is left; then the cursor that was there before comes back.
class WaitCursor {
  public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    HCURSOR previous_;
};

// Returns once `done` is signalled. Meanwhile the thread's windows repaint
// whatever becomes invalid, and the system does not take them for hung;
// every message, input included, stays queued for after, so no handler runs
// nested inside the caller's operation.
void WaitRepainting(HANDLE done);

}  // namespace win32
