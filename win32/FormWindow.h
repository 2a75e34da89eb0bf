#pragma once
// The top-level window of one loaded form: its frame, menu bar, fonts, icons,
// tool tips and the peers of its controls. The shell owns it from Load to
// Unload (and a little longer, until no window procedure of it runs).
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/Form.h"
#include "win32/GuiHandles.h"
#include "win32/Win32Peers.h"

namespace win32 {

class Win32Shell;

// Menu commands are numbered from here, leaves in depth-first order, so that
// a driver can post them without reading the menu.
constexpr int kFirstMenuCommand = 0x8000;
// Controls are numbered from here in creation order (below: IDOK, IDCANCEL).
constexpr int kFirstControlId = 1000;
// WM_DPICHANGED (Windows 8.1 and later), named here for older headers.
constexpr UINT kWmDpiChanged = 0x02E0;

class FormWindow {
  public:
    FormWindow(Win32Shell& shell, std::shared_ptr<ui::Form> form);
    ~FormWindow();
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    // Creates the hidden window and its controls; false when Windows refused.
    bool Create(HWND owner);
    // Detaches the peers from the model and destroys the window. No handler of
    // the form runs from here on.
    void Destroy();

    HWND Hwnd() const { return hwnd_; }
    ui::Form& Model() const { return *form_; }
    const std::shared_ptr<ui::Form>& FormPtr() const { return form_; }
    Win32Shell& Shell() const { return shell_; }
    int Dpi() const { return dpi_; }
    HFONT Font(bool bold) const { return bold ? boldFont_.get() : font_.get(); }
    // Height of one line of text in that font, in pixels.
    int LineHeight(bool bold) const;
    HINSTANCE Instance() const;
    // The module that holds the icons.
    HINSTANCE Resources() const;

    // Pixels from twips at this window's resolution.
    int Px(int twips) const;
    // A tip for the control, shown over bounds (pixels in this window) too, so
    // that it shows while the control is greyed.
    void AddToolTip(HWND control, const RECT& bounds, const std::wstring& text);
    // A mouse message for this window or one of its controls, taken from the
    // queue: the tool tips and the controls' hover looks follow the mouse.
    void OnQueuedMouse(const MSG& msg);
    Peer* PeerOf(HWND child) const;
    Peer* PeerOf(const ui::Control& control) const;
    Peer* PeerById(int id) const;
    // The control a focused window belongs to, or nullptr.
    ui::Control* ControlOf(HWND focus) const;

    void ApplyCaption();
    // Moves the keyboard focus to the model's focused control, if any.
    void ApplyFocus();

    bool destroying = false;
    bool unloading = false;
    bool activatedSinceShow = false;

    static const wchar_t* ClassName() { return L"QuillonForm"; }
    // Once per process; the class carries the program's icon from resources.
    static bool RegisterWindowClass(HINSTANCE instance, HINSTANCE resources);

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void BuildMenu(HMENU parent, const std::vector<ui::MenuItem>& items, std::vector<int> path);
    void RunMenuCommand(int id);
    void PressButton(ui::Button* button);
    void OnActivate(WPARAM wParam, LPARAM lParam);
    void OnDpiChanged(int dpi, const RECT& suggested);
    void CreateControls();
    UniqueIcon LoadFormIcon(int size) const;
    void AddPendingTools();

    struct PendingTool {
        HWND control;
        RECT bounds;
        std::wstring text;
    };

    Win32Shell& shell_;
    std::shared_ptr<ui::Form> form_;
    HWND hwnd_ = nullptr;
    int dpi_ = 96;
    UniqueFont font_;
    UniqueFont boldFont_;
    mutable int lineHeight_[2] = {0, 0};
    UniqueIcon bigIcon_;
    UniqueIcon smallIcon_;
    UniqueWindow toolTip_;
    std::vector<PendingTool> toolsToAdd_;           // until the mouse first comes
    UniqueMenu menu_;                               // until the window owns it
    std::map<int, std::vector<int>> menuCommands_;  // command id -> path of indexes
    std::vector<std::unique_ptr<Peer>> peers_;
    int nextToolId_ = 0x10000;
};

}  // namespace win32
