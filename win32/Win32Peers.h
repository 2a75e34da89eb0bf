#pragma once
// The real child windows behind the controls of a form. A peer creates its
// window, follows the model's changes (ui::ControlPeer::Update) and turns the
// window's notifications into the model's User... calls.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/Controls.h"
#include "win32/GuiHandles.h"

namespace win32 {

class FormWindow;

// Posted to the form window by tree peers: wParam control id, lParam item.
constexpr UINT kMsgTreeToggle = WM_APP + 1;
// Posted to the form window by a peer that paused its control's redrawing:
// wParam control id; the control redraws again.
constexpr UINT kMsgRedrawAgain = WM_APP + 2;

class Peer : public ui::ControlPeer {
  public:
    Peer(FormWindow& owner, ui::Control& control);
    ~Peer() override;
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    // Creates the child window with the given control id.
    virtual void Create(int id, bool groupStart) = 0;

    HWND Hwnd() const { return hwnd_; }
    ui::Control& Model() const { return control_; }
    // Stops following the model (the form is going away).
    void Detach();

    void Update(ui::Control& control, ui::Change what) override;

    // Notifications from the form window.
    virtual void OnCommand(WORD code) { (void)code; }
    virtual bool OnNotify(NMHDR& header, LRESULT& result) {
        (void)header;
        (void)result;
        return false;
    }
    virtual bool OnDrawItem(const DRAWITEMSTRUCT& item) {
        (void)item;
        return false;
    }
    virtual void OnPosted(LPARAM data) { (void)data; }
    // Ends the pause that HoldRedraw began, and redraws the control.
    void OnRedrawAgain();
    // A mouse message taken from the queue for this window, before it is
    // dispatched.
    virtual void OnQueuedMouse(const MSG& msg) { (void)msg; }
    // Colours for WM_CTLCOLOR...; nullptr leaves the system's.
    virtual HBRUSH OnControlColor(HDC dc);

    // Applies the whole model state after creation.
    virtual void ApplyAll();
    // Takes the form's font and position again after the resolution changed.
    virtual void Rescale();

  protected:
    virtual void OnUpdate(ui::Change what) { (void)what; }
    // Moves the window to its place in pixels.
    virtual void Place(const RECT& bounds);
    HWND CreateChild(const wchar_t* windowClass, DWORD style, DWORD exStyle, int id,
                     const std::wstring& text, int extraHeight = 0);
    RECT PixelBounds() const;
    HFONT Font() const;
    // Items come one by one (a load adds thousands), and each would cost the
    // control a repaint request and a scroll-bar update, round trips under
    // Wine. So redrawing pauses with the first change and comes back when the
    // thread next takes a message from its queue, after the handler that made
    // the changes.
    void HoldRedraw();
    void ApplyEnabled();
    void ApplyVisible();
    void ApplyColors();
    // True while the peer itself changes the window, so that the window's
    // notifications are not taken for the user's.
    bool updating_ = false;

    FormWindow& owner_;
    ui::Control& control_;
    HWND hwnd_ = nullptr;
    bool redrawHeld_ = false;
    UniqueBrush backBrush_;
    COLORREF backColor_ = 0;
    COLORREF foreColor_ = 0;
};

// A model colour (0x800000xx system colour index or 0x00BBGGRR) as COLORREF.
COLORREF ResolveColor(std::uint32_t color);

// The peer for a control of any kind.
std::unique_ptr<Peer> CreatePeer(FormWindow& owner, ui::Control& control);

}  // namespace win32
