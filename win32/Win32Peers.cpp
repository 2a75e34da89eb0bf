#include "win32/Win32Peers.h"

#include <stdexcept>

#include "ui/Form.h"
#include "win32/Dpi.h"
#include "win32/FormWindow.h"
#include "win32/PeerKinds.h"

namespace win32 {

COLORREF ResolveColor(std::uint32_t color) {
    if (color & 0x80000000u) return ::GetSysColor(static_cast<int>(color & 0xFFu));
    return static_cast<COLORREF>(color & 0x00FFFFFFu);
}

Peer::Peer(FormWindow& owner, ui::Control& control) : owner_(owner), control_(control) {}

Peer::~Peer() { Detach(); }

void Peer::Detach() {
    if (control_.Peer() == this) control_.SetPeer(nullptr);
}

RECT Peer::PixelBounds() const {
    const ui::Bounds& b = control_.bounds;
    return RECT{owner_.Px(b.left), owner_.Px(b.top), owner_.Px(b.left + b.width),
                owner_.Px(b.top + b.height)};
}

HFONT Peer::Font() const {
    bool bold = false;
    if (control_.Kind() == ui::ControlKind::Button)
        bold = static_cast<const ui::Button&>(control_).bold;
    else if (control_.Kind() == ui::ControlKind::Label)
        bold = static_cast<const ui::Label&>(control_).bold;
    return owner_.Font(bold);
}

HWND Peer::CreateChild(const wchar_t* windowClass, DWORD style, DWORD exStyle, int id,
                       const std::wstring& text, int extraHeight) {
    const RECT r = PixelBounds();
    hwnd_ = ::CreateWindowExW(exStyle, windowClass, text.c_str(), style | WS_CHILD | WS_VISIBLE,
                              r.left, r.top, r.right - r.left, r.bottom - r.top + extraHeight,
                              owner_.Hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              owner_.Instance(), nullptr);
    if (!hwnd_) throw std::runtime_error("A control window could not be created.");
    ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
    if (!control_.toolTip.empty()) owner_.AddToolTip(hwnd_, r, control_.toolTip);
    return hwnd_;
}

void Peer::ApplyEnabled() {
    const bool enabled = control_.EffectivelyEnabled();
    if (!enabled && ::GetFocus() == hwnd_) {
        // A disabled window keeps the focus and the keyboard goes dead:
        // hand it on first.
        ::SendMessageW(owner_.Hwnd(), WM_NEXTDLGCTL, 0, FALSE);
    }
    // Only a change costs a round trip (under Wine, several).
    if ((::IsWindowEnabled(hwnd_) != FALSE) != enabled)
        ::EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

void Peer::HoldRedraw() {
    if (redrawHeld_) return;
    redrawHeld_ = true;
    ::SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
    ::PostMessageW(owner_.Hwnd(), kMsgRedrawAgain, static_cast<WPARAM>(::GetDlgCtrlID(hwnd_)), 0);
}

void Peer::OnRedrawAgain() {
    if (!redrawHeld_) return;
    redrawHeld_ = false;
    ::SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
    ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void Peer::ApplyVisible() {
    bool visible = true;
    for (const ui::Control* c = &control_; c && visible; c = c->container) visible = c->Visible();
    const bool shown = (::GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown != visible) ::ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

void Peer::ApplyColors() {
    backColor_ = ResolveColor(control_.BackColor());
    foreColor_ = ResolveColor(control_.ForeColor());
    backBrush_.reset(::CreateSolidBrush(backColor_));
}

HBRUSH Peer::OnControlColor(HDC dc) {
    ::SetTextColor(dc, foreColor_);
    ::SetBkColor(dc, backColor_);
    return backBrush_.get();
}

void Peer::ApplyAll() {
    ApplyColors();
    ApplyEnabled();
    ApplyVisible();
}

void Peer::Rescale() {
    if (!hwnd_) return;
    ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
    Place(PixelBounds());
}

void Peer::Place(const RECT& bounds) {
    ::MoveWindow(hwnd_, bounds.left, bounds.top, bounds.right - bounds.left,
                 bounds.bottom - bounds.top, TRUE);
}

void Peer::Update(ui::Control& control, ui::Change what) {
    (void)control;
    if (!hwnd_ || owner_.destroying) return;
    switch (what) {
        case ui::Change::Caption:
            updating_ = true;
            ::SetWindowTextW(hwnd_, control_.Caption().c_str());
            updating_ = false;
            break;
        case ui::Change::Enabled:
            ApplyEnabled();
            break;
        case ui::Change::Visible:
            ApplyVisible();
            break;
        case ui::Change::Colors:
            ApplyColors();
            ::InvalidateRect(hwnd_, nullptr, TRUE);
            break;
        case ui::Change::Focus:
            if (::IsWindowVisible(owner_.Hwnd()) && ::IsWindowEnabled(hwnd_) &&
                ::IsWindowVisible(hwnd_))
                ::SendMessageW(owner_.Hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hwnd_), TRUE);
            break;
        case ui::Change::Bounds:
            Place(PixelBounds());
            break;
        default:
            break;
    }
    OnUpdate(what);
}

namespace {

// Frames show and enable what they hold: their peers pass changes on to the
// controls inside (at any depth).
class FramePeer : public Peer {
  public:
    using Peer::Peer;
    void Create(int id, bool groupStart) override {
        (void)groupStart;
        CreateChild(L"BUTTON", BS_GROUPBOX | WS_GROUP, 0, id, control_.Caption());
    }

  protected:
    void OnUpdate(ui::Change what) override {
        if (what != ui::Change::Enabled && what != ui::Change::Visible) return;
        for (const auto& c : control_.Owner().Controls()) {
            for (const ui::Control* up = c->container; up; up = up->container) {
                if (up != &control_) continue;
                if (ui::ControlPeer* peer = c->Peer()) peer->Update(*c, what);
                break;
            }
        }
    }
};

class LabelPeer : public Peer {
  public:
    using Peer::Peer;
    void Create(int id, bool groupStart) override {
        CreateChild(L"STATIC", SS_LEFT | (groupStart ? WS_GROUP : 0), 0, id, control_.Caption());
    }
};

class LinePeer : public Peer {
  public:
    using Peer::Peer;
    void Create(int id, bool groupStart) override {
        (void)groupStart;
        const ui::Bounds& b = control_.bounds;
        CreateChild(L"STATIC", (b.height > b.width ? SS_ETCHEDVERT : SS_ETCHEDHORZ) | WS_GROUP, 0,
                    id, L"");
        Place(PixelBounds());
    }

  protected:
    // An etched line is two pixels thick, whatever its height in twips.
    void Place(const RECT& r) override {
        const int thickness = 2;
        const ui::Bounds& b = control_.bounds;
        if (b.height > b.width)
            ::MoveWindow(hwnd_, r.left, r.top, thickness, r.bottom - r.top, TRUE);
        else
            ::MoveWindow(hwnd_, r.left, r.top, r.right - r.left, thickness, TRUE);
    }
};

class PicturePeer : public Peer {
  public:
    using Peer::Peer;
    void Create(int id, bool groupStart) override {
        (void)groupStart;
        CreateChild(L"STATIC", SS_ICON | SS_CENTERIMAGE | WS_GROUP, 0, id, L"");
        const int pictureId = static_cast<const ui::Picture&>(control_).pictureId;
        if (pictureId) {
            const int size = ScaleFrom96(32, owner_.Dpi());
            icon_.reset(static_cast<HICON>(::LoadImageW(
                owner_.Resources(), MAKEINTRESOURCEW(pictureId), IMAGE_ICON, size, size, 0)));
            if (icon_) ::SendMessageW(hwnd_, STM_SETICON, reinterpret_cast<WPARAM>(icon_.get()), 0);
        }
    }

  private:
    UniqueIcon icon_;
};

}  // namespace

std::unique_ptr<Peer> CreatePeer(FormWindow& owner, ui::Control& control) {
    switch (control.Kind()) {
        case ui::ControlKind::Button:
            return MakeButtonPeer(owner, static_cast<ui::Button&>(control));
        case ui::ControlKind::CheckBox:
            return MakeCheckBoxPeer(owner, static_cast<ui::CheckBox&>(control));
        case ui::ControlKind::OptionButton:
            return MakeOptionPeer(owner, static_cast<ui::OptionButton&>(control));
        case ui::ControlKind::TextBox:
            return MakeTextBoxPeer(owner, static_cast<ui::TextBox&>(control));
        case ui::ControlKind::ComboBox:
        case ui::ControlKind::ListBox:
            return MakeListPeer(owner, static_cast<ui::ListControl&>(control));
        case ui::ControlKind::Tree:
            return MakeTreePeer(owner, static_cast<ui::TreeView&>(control));
        case ui::ControlKind::Frame:
            return std::make_unique<FramePeer>(owner, control);
        case ui::ControlKind::Line:
            return std::make_unique<LinePeer>(owner, control);
        case ui::ControlKind::Picture:
            return std::make_unique<PicturePeer>(owner, control);
        case ui::ControlKind::Label:
        default:
            return std::make_unique<LabelPeer>(owner, control);
    }
}

}  // namespace win32
