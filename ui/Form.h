#pragma once
// A window of the control model: its controls, menu, layout and the window
// events (Initialize when the object is made, Load, Activate, Unload).
// Forms are owned by shared pointers; the shell keeps every loaded form alive
// until it is unloaded, and event dispatch keeps the form alive while a
// handler runs, so a handler may unload its own form.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/Controls.h"

namespace ui {

class Shell;

struct MenuItem {
    std::wstring name;
    std::wstring caption;
    std::function<void()> Click;
    std::vector<MenuItem> items;
};

enum class BorderStyle {
    FixedSingle,  // fixed size, minimise button, shown in the task bar
    FixedDialog,  // fixed size, no minimise or maximise, not in the task bar
};

// The shell owns forms; window code reaches it through the form.
class Form : public std::enable_shared_from_this<Form> {
public:
    Form(Shell& shell, std::wstring name);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::wstring& Name() const { return name_; }
    Shell& GetShell() const { return shell_; }

    const std::wstring& Caption() const { return caption_; }
    void SetCaption(const std::wstring& caption);

    // Client area in twips; font as name and size in points.
    int clientWidth = 0;
    int clientHeight = 0;
    std::wstring fontName = L"Verdana";
    double fontSize = 8.25;
    BorderStyle borderStyle = BorderStyle::FixedSingle;
    int iconId = 0;
    std::vector<MenuItem> menus;

    // Controls in creation order, which is also the tab order unless
    // SetTabOrder says otherwise.
    const std::vector<std::unique_ptr<Control>>& Controls() const { return controls_; }
    std::vector<Control*> TabOrder() const;
    void SetTabOrder(const std::vector<Control*>& order);
    Control* Find(const std::wstring& name, int index = -1) const;

    Control* FocusedControl() const { return focused_; }
    void SetFocusedControl(Control* control);

    Button* DefaultButton() const;
    Button* CancelButton() const;

    // Lifecycle, carried out by the shell.
    void Load();       // creates the window (hidden) and raises Form_Load once
    void Show();       // shows modeless
    void ShowModal();  // returns when the form is hidden or unloaded
    void Hide();
    void Unload();     // raises Form_Unload, destroys the window
    bool IsLoaded() const { return loaded_; }
    bool IsVisible() const { return visible_; }

    // Window events, overridden by window classes.
    virtual void Form_Initialize() {}
    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    virtual void Form_Unload() {}

    // State bookkeeping for the shell.
    void MarkLoaded(bool loaded) { loaded_ = loaded; }
    void MarkVisible(bool visible) { visible_ = visible; }

    // Adds a control; the form owns it.
    template <typename T, typename... Args>
    T& Add(Args&&... args) {
        auto control = std::make_unique<T>(*this, std::forward<Args>(args)...);
        T& ref = *control;
        controls_.push_back(std::move(control));
        return ref;
    }

    // Option buttons that share a container with the given one.
    std::vector<OptionButton*> OptionGroup(const OptionButton& member) const;

private:
    Shell& shell_;
    std::wstring name_;
    std::wstring caption_;
    std::vector<std::unique_ptr<Control>> controls_;
    std::vector<Control*> tabOrder_;
    Control* focused_ = nullptr;
    bool loaded_ = false;
    bool visible_ = false;
};

// Twips to pixels at a given DPI (1440 twips to the inch), rounded.
int TwipsToPixels(int twips, int dpi);

}  // namespace ui
