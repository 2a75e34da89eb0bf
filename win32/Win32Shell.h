#pragma once
// ui::Shell with real windows: one top-level window per loaded form, one
// message loop for all of them (IsDialogMessage gives Tab order, access keys,
// Enter and Escape), modal forms, message boxes and pending-event processing.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/Shell.h"
#include "win32/GuiHandles.h"

namespace win32 {

class FormWindow;

class Win32Shell : public ui::Shell {
  public:
    // Windows belong to instance; icons come from resources (the same module
    // unless given).
    explicit Win32Shell(HINSTANCE instance = ::GetModuleHandleW(nullptr),
                        HINSTANCE resources = nullptr);
    ~Win32Shell() override;
    Win32Shell(const Win32Shell&) = delete;
    Win32Shell& operator=(const Win32Shell&) = delete;

    int MsgBox(const std::wstring& text, int style, const std::wstring& title) override;
    void Load(ui::Form& form) override;
    void Show(ui::Form& form) override;
    void ShowModal(ui::Form& form) override;
    void Hide(ui::Form& form) override;
    void Unload(ui::Form& form) override;
    void Refresh(ui::Form& form) override;
    void DoEvents() override;
    void Sleep(int milliseconds) override;
    std::vector<std::shared_ptr<ui::Form>> LoadedForms() const override;

    // Runs the message loop until the last loaded form has been unloaded (at
    // once when none is loaded). Returns the WM_QUIT code, or 0.
    int Run();

    // The form's top-level window, or nullptr when it is not loaded.
    HWND WindowOf(const ui::Form& form) const;
    FormWindow* RecordOf(const ui::Form& form) const;
    FormWindow* RecordOf(HWND topLevel) const;
    // Also true for windows of forms being unloaded.
    bool IsFormWindow(HWND hwnd) const;
    HINSTANCE Instance() const { return instance_; }
    HINSTANCE Resources() const { return resources_; }

    // Window procedures bracket their work with these, so that a form unloaded
    // from inside one of its own handlers is freed only afterwards.
    void EnterProc() { ++procDepth_; }
    void LeaveProc();

  private:
    struct ModalSession {
        ui::Form* form = nullptr;
        std::vector<HWND> disabled;
    };

    void Process(MSG& msg);
    void TrackFocus();
    void FreeRetired();
    std::vector<HWND> DisableOthers(HWND except) const;
    static void Enable(std::vector<HWND>& windows);
    void ReleaseModal(const ui::Form& form);
    HWND DialogOwner();

    HINSTANCE instance_;
    HINSTANCE resources_;
    UniqueWindow hiddenOwner_;
    std::vector<std::unique_ptr<FormWindow>> windows_;
    std::vector<std::unique_ptr<FormWindow>> retired_;
    std::vector<ModalSession*> modal_;
    int procDepth_ = 0;
    HWND lastFocus_ = nullptr;
};

}  // namespace win32
