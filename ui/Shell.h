#pragma once
// What the control model needs from the windowing system: creating, showing
// and destroying windows, modal message boxes, modal windows and processing
// pending events. The Win32 layer implements it with real windows; tests use
// ui::TestShell, which records message boxes and lets a test answer them.
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

class Form;

// Message box styles and answers by their standard values.
constexpr int kMbOk = 0;
constexpr int kMbYesNo = 4;
constexpr int kMbIconCritical = 16;
constexpr int kIdOk = 1;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

class Shell {
public:
    virtual ~Shell() = default;

    // The application's title, used by every message box without a title of its own.
    virtual std::wstring AppTitle() const { return L"Quillon"; }

    // Modal message box; an empty title means the application's title.
    // Returns the answer (kIdOk, kIdYes, kIdNo).
    virtual int MsgBox(const std::wstring& text, int style = kMbOk,
                       const std::wstring& title = std::wstring()) = 0;

    // Keeps the form alive while it is loaded. Load creates the window hidden and
    // raises Form_Load; Show makes it visible and modeless (raising Form_Load
    // first when needed); ShowModal shows it and returns once it is hidden or
    // unloaded, with the application's other windows disabled meanwhile.
    virtual void Load(Form& form) = 0;
    virtual void Show(Form& form) = 0;
    virtual void ShowModal(Form& form) = 0;
    virtual void Hide(Form& form) = 0;
    virtual void Unload(Form& form) = 0;
    // A form caption or state changed outside a peer's knowledge.
    virtual void Refresh(Form& form) { (void)form; }

    // Processes pending user-interface events (nested handlers may run).
    virtual void DoEvents() = 0;
    // Waits without processing events.
    virtual void Sleep(int milliseconds) = 0;

    // Forms currently loaded, oldest first.
    virtual std::vector<std::shared_ptr<Form>> LoadedForms() const = 0;

    // Runs an event handler so that nothing escapes it: an error becomes a
    // critical message box naming it. Keeps the form alive meanwhile.
    void RunEvent(Form* form, const std::function<void()>& handler) noexcept;
};

// Creates a window object of type F (which takes its constructor arguments and
// sets itself up) and raises its Initialize event.
template <typename F, typename... Args>
std::shared_ptr<F> NewForm(Args&&... args) {
    auto form = std::make_shared<F>(std::forward<Args>(args)...);
    form->Form_Initialize();
    return form;
}

}  // namespace ui
