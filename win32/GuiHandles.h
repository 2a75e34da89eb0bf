#pragma once
// Owners for the GDI and USER objects of the window layer. Each one releases
// its object exactly once, on every path, and can be moved but not copied.
#include <windows.h>

#include <utility>

namespace win32 {

template <typename Handle, typename Deleter>
class UniqueGuiObject {
  public:
    UniqueGuiObject() = default;
    explicit UniqueGuiObject(Handle handle) : handle_(handle) {}
    ~UniqueGuiObject() { reset(); }
    UniqueGuiObject(UniqueGuiObject&& other) noexcept : handle_(other.release()) {}
    UniqueGuiObject& operator=(UniqueGuiObject&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueGuiObject(const UniqueGuiObject&) = delete;
    UniqueGuiObject& operator=(const UniqueGuiObject&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    Handle release() { return std::exchange(handle_, nullptr); }
    void reset(Handle handle = nullptr) {
        if (handle_ && handle_ != handle) Deleter{}(handle_);
        handle_ = handle;
    }

  private:
    Handle handle_ = nullptr;
};

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { ::DeleteObject(object); }
};
struct IconDeleter {
    void operator()(HICON icon) const { ::DestroyIcon(icon); }
};
struct MenuDeleter {
    void operator()(HMENU menu) const { ::DestroyMenu(menu); }
};
struct WindowDeleter {
    void operator()(HWND window) const {
        if (::IsWindow(window)) ::DestroyWindow(window);
    }
};
struct ScreenDcDeleter {
    void operator()(HDC dc) const { ::ReleaseDC(nullptr, dc); }
};

using UniqueFont = UniqueGuiObject<HFONT, GdiObjectDeleter>;
using UniqueBrush = UniqueGuiObject<HBRUSH, GdiObjectDeleter>;
using UniqueBitmap = UniqueGuiObject<HBITMAP, GdiObjectDeleter>;
using UniqueIcon = UniqueGuiObject<HICON, IconDeleter>;
using UniqueMenu = UniqueGuiObject<HMENU, MenuDeleter>;
using UniqueWindow = UniqueGuiObject<HWND, WindowDeleter>;
using UniqueScreenDc = UniqueGuiObject<HDC, ScreenDcDeleter>;

// Selects an object into a device context for one scope.
class SelectedObject {
  public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (previous_) ::SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace win32
