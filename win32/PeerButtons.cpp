// Push buttons (plain, and graphical with an icon above the caption), check
// boxes and option buttons. The model decides every state: check boxes and
// option buttons are of the non-automatic kinds.
#include <windows.h>
// (first: the other system headers need its types)

#include <commctrl.h>
#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>
#include <vector>

#include "ui/Form.h"
#include "win32/Dpi.h"
#include "win32/FormWindow.h"
#include "win32/PeerKinds.h"

namespace win32 {

namespace {

class ThemeData {
  public:
    ThemeData(HWND hwnd, const wchar_t* classes)
        : theme_(::IsThemeActive() && ::IsAppThemed() ? ::OpenThemeData(hwnd, classes) : nullptr) {}
    ~ThemeData() {
        if (theme_) ::CloseThemeData(theme_);
    }
    ThemeData(const ThemeData&) = delete;
    ThemeData& operator=(const ThemeData&) = delete;
    HTHEME get() const { return theme_; }

  private:
    HTHEME theme_;
};

// A paler, half-transparent grey copy of an icon for a disabled button.
UniqueIcon MakeDisabledIcon(HICON icon) {
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info)) return {};
    UniqueBitmap color(info.hbmColor);
    UniqueBitmap mask(info.hbmMask);
    if (!color) return {};
    BITMAP bm{};
    if (!::GetObjectW(color.get(), sizeof bm, &bm)) return {};
    const int w = bm.bmWidth;
    const int h = bm.bmHeight;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * h);
    std::vector<std::uint32_t> maskBits(pixels.size());
    UniqueScreenDc dc(::GetDC(nullptr));
    if (!dc || !::GetDIBits(dc.get(), color.get(), 0, h, pixels.data(), &bi, DIB_RGB_COLORS))
        return {};
    const bool hasAlpha =
        std::any_of(pixels.begin(), pixels.end(), [](std::uint32_t p) { return (p >> 24) != 0; });
    if (!hasAlpha && mask)
        ::GetDIBits(dc.get(), mask.get(), 0, h, maskBits.data(), &bi, DIB_RGB_COLORS);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const std::uint32_t p = pixels[i];
        std::uint32_t alpha = hasAlpha ? (p >> 24) : ((maskBits[i] & 0xFFFFFF) ? 0u : 255u);
        const std::uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        const std::uint32_t grey = 110 + ((r * 77 + g * 150 + b * 29) >> 8) * 145 / 255;
        alpha = alpha * 55 / 100;
        pixels[i] = (alpha << 24) | (grey << 16) | (grey << 8) | grey;
    }
    void* bits = nullptr;
    UniqueBitmap grey(::CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!grey || !bits) return {};
    std::copy(pixels.begin(), pixels.end(), static_cast<std::uint32_t*>(bits));
    std::vector<std::uint8_t> zeros(static_cast<std::size_t>((w + 15) / 16 * 2) * h, 0);
    UniqueBitmap opaqueMask(::CreateBitmap(w, h, 1, 1, zeros.data()));
    ICONINFO out{};
    out.fIcon = TRUE;
    out.hbmMask = opaqueMask.get();
    out.hbmColor = grey.get();
    return UniqueIcon(::CreateIconIndirect(&out));
}

class ButtonPeer : public Peer {
  public:
    ButtonPeer(FormWindow& owner, ui::Button& button) : Peer(owner, button), button_(button) {}

    void Create(int id, bool groupStart) override {
        (void)groupStart;
        graphical_ = button_.pictureId != 0;
        DWORD style = WS_GROUP | (button_.tabStop ? WS_TABSTOP : 0);
        if (graphical_)
            style |= BS_OWNERDRAW;
        else
            style |= (button_.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | BS_MULTILINE;
        CreateChild(L"BUTTON", style, 0, id, button_.Caption());
        if (graphical_) LoadPicture();
    }

    void OnCommand(WORD code) override {
        if (code == BN_CLICKED || code == BN_DOUBLECLICKED) button_.UserClick();
    }

    bool OnDrawItem(const DRAWITEMSTRUCT& item) override {
        if (!graphical_) return false;
        Draw(item);
        return true;
    }

    HBRUSH OnControlColor(HDC dc) override {
        // Buttons keep the system's face colour.
        (void)dc;
        return nullptr;
    }

  protected:
    void OnUpdate(ui::Change what) override {
        if (graphical_ && (what == ui::Change::Caption || what == ui::Change::Enabled))
            ::InvalidateRect(hwnd_, nullptr, TRUE);
    }

  private:
    void LoadPicture() {
        // The largest of the drawn sizes that leaves room for one caption line.
        const RECT r = PixelBounds();
        const int room =
            (r.bottom - r.top) - owner_.LineHeight(button_.bold) - ScaleFrom96(10, owner_.Dpi());
        const int limit = ScaleFrom96(32, owner_.Dpi());
        iconSize_ = 16;
        for (int size : {24, 32, 48})
            if (size <= room && size <= limit) iconSize_ = size;
        icon_.reset(
            static_cast<HICON>(::LoadImageW(owner_.Resources(), MAKEINTRESOURCEW(button_.pictureId),
                                            IMAGE_ICON, iconSize_, iconSize_, 0)));
    }

    // Made when first drawn: most buttons are never disabled.
    HICON DisabledIcon() {
        if (!disabledIcon_ && icon_) disabledIcon_ = MakeDisabledIcon(icon_.get());
        return disabledIcon_ ? disabledIcon_.get() : icon_.get();
    }

    void Draw(const DRAWITEMSTRUCT& item) {
        HDC dc = item.hDC;
        RECT rc = item.rcItem;
        const bool pressed = (item.itemState & ODS_SELECTED) != 0;
        const bool disabled = (item.itemState & ODS_DISABLED) != 0;
        const bool focused = (item.itemState & ODS_FOCUS) != 0;
        RECT content = rc;
        ThemeData theme(hwnd_, L"Button");
        if (theme.get()) {
            const int state = disabled  ? PBS_DISABLED
                              : pressed ? PBS_PRESSED
                              : hot_    ? PBS_HOT
                              : focused ? PBS_DEFAULTED
                                        : PBS_NORMAL;
            if (::IsThemeBackgroundPartiallyTransparent(theme.get(), BP_PUSHBUTTON, state))
                ::DrawThemeParentBackground(hwnd_, dc, &rc);
            ::DrawThemeBackground(theme.get(), dc, BP_PUSHBUTTON, state, &rc, nullptr);
            ::GetThemeBackgroundContentRect(theme.get(), dc, BP_PUSHBUTTON, state, &rc, &content);
        } else {
            ::FillRect(dc, &rc, ::GetSysColorBrush(COLOR_BTNFACE));
            RECT edge = rc;
            ::DrawFrameControl(
                dc, &edge, DFC_BUTTON,
                DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0) | (hot_ && !pressed ? DFCS_HOT : 0));
            ::InflateRect(&content, -2, -2);
            if (pressed) ::OffsetRect(&content, 1, 1);
        }

        const std::wstring& caption = button_.Caption();
        SelectedObject font(dc, Font());
        ::SetBkMode(dc, TRANSPARENT);
        UINT textFlags = DT_CENTER | DT_WORDBREAK;
        if (item.itemState & ODS_NOACCEL) textFlags |= DT_HIDEPREFIX;
        RECT textRect = content;
        ::InflateRect(&textRect, -ScaleFrom96(2, owner_.Dpi()), 0);
        RECT measure = textRect;
        ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &measure,
                    textFlags | DT_CALCRECT);
        const int textHeight = measure.bottom - measure.top;
        const int gap = ScaleFrom96(2, owner_.Dpi());
        const int iconHeight = icon_ ? iconSize_ : 0;
        const int total = iconHeight + (icon_ ? gap : 0) + textHeight;
        int top =
            content.top + std::max(0, static_cast<int>((content.bottom - content.top - total) / 2));
        if (icon_) {
            const int left = content.left + (content.right - content.left - iconSize_) / 2;
            HICON shown = disabled ? DisabledIcon() : icon_.get();
            ::DrawIconEx(dc, left, top, shown, iconSize_, iconSize_, 0, nullptr, DI_NORMAL);
            top += iconSize_ + gap;
        }
        textRect.top = top;
        textRect.bottom = std::max(static_cast<int>(content.bottom), top + textHeight);
        ::SetTextColor(dc, ::GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
        ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &textRect, textFlags);

        if (focused && !(item.itemState & ODS_NOFOCUSRECT)) {
            RECT focus = content;
            ::InflateRect(&focus, -1, -1);
            ::DrawFocusRect(dc, &focus);
        }
    }

    // The hover look follows the queued mouse messages; a subclass would see
    // them too, but costs a property lookup (a round trip under Wine) for
    // every message the button gets.
    void OnQueuedMouse(const MSG& msg) override {
        if (!graphical_) return;
        if (msg.message == WM_MOUSEMOVE && !hot_) {
            hot_ = true;
            TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, hwnd_, 0};
            ::TrackMouseEvent(&track);
            ::InvalidateRect(hwnd_, nullptr, FALSE);
        } else if (msg.message == WM_MOUSELEAVE && hot_) {
            hot_ = false;
            ::InvalidateRect(hwnd_, nullptr, FALSE);
        }
    }

    ui::Button& button_;
    bool graphical_ = false;
    bool hot_ = false;
    int iconSize_ = 32;
    UniqueIcon icon_;
    UniqueIcon disabledIcon_;
};

class CheckBoxPeer : public Peer {
  public:
    CheckBoxPeer(FormWindow& owner, ui::CheckBox& box) : Peer(owner, box), box_(box) {}

    void Create(int id, bool groupStart) override {
        (void)groupStart;
        CreateChild(L"BUTTON",
                    BS_CHECKBOX | BS_MULTILINE | WS_GROUP | (box_.tabStop ? WS_TABSTOP : 0), 0, id,
                    box_.Caption());
    }

    void ApplyAll() override {
        Peer::ApplyAll();
        ApplyCheck();
    }

    void OnCommand(WORD code) override {
        if (code != BN_CLICKED && code != BN_DOUBLECLICKED) return;
        box_.UserClick();
        // The model may have refused (or a handler changed it back).
        if (!owner_.destroying) ApplyCheck();
    }

  protected:
    void OnUpdate(ui::Change what) override {
        if (what == ui::Change::Value) ApplyCheck();
    }

  private:
    void ApplyCheck() {
        ::SendMessageW(hwnd_, BM_SETCHECK, box_.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    ui::CheckBox& box_;
};

class OptionPeer : public Peer {
  public:
    OptionPeer(FormWindow& owner, ui::OptionButton& option)
        : Peer(owner, option), option_(option) {}

    void Create(int id, bool groupStart) override {
        CreateChild(L"BUTTON",
                    BS_RADIOBUTTON | BS_NOTIFY | BS_MULTILINE | (groupStart ? WS_GROUP : 0), 0, id,
                    option_.Caption());
    }

    void ApplyAll() override {
        Peer::ApplyAll();
        ApplyCheck();
    }

    void OnCommand(WORD code) override {
        if (code == BN_SETFOCUS) {
            // Moving through the group with the arrow keys chooses, as with
            // Windows' own option buttons; Tab and the mouse do not.
            const bool arrow = (::GetKeyState(VK_UP) | ::GetKeyState(VK_DOWN) |
                                ::GetKeyState(VK_LEFT) | ::GetKeyState(VK_RIGHT)) &
                               0x8000;
            if (arrow && !option_.Value()) Choose();
            return;
        }
        if (code == BN_CLICKED || code == BN_DOUBLECLICKED) Choose();
    }

  protected:
    void OnUpdate(ui::Change what) override {
        if (what == ui::Change::Value) ApplyCheck();
    }

  private:
    void Choose() {
        option_.UserClick();
        if (!owner_.destroying) ApplyCheck();
    }

    void ApplyCheck() {
        ::SendMessageW(hwnd_, BM_SETCHECK, option_.Value() ? BST_CHECKED : BST_UNCHECKED, 0);
        // Tab enters a group at its chosen button (the first when none is).
        const auto group = option_.Owner().OptionGroup(option_);
        const ui::OptionButton* entry = nullptr;
        for (const ui::OptionButton* member : group)
            if (member->Value()) entry = member;
        if (!entry && !group.empty()) entry = group.front();
        for (ui::OptionButton* member : group) {
            auto* peer = static_cast<OptionPeer*>(member->Peer());
            if (!peer || !peer->hwnd_) continue;
            LONG_PTR style = ::GetWindowLongPtrW(peer->hwnd_, GWL_STYLE);
            LONG_PTR wanted =
                (member == entry && member->tabStop) ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
            if (wanted != style) ::SetWindowLongPtrW(peer->hwnd_, GWL_STYLE, wanted);
        }
    }
    ui::OptionButton& option_;
};

}  // namespace

std::unique_ptr<Peer> MakeButtonPeer(FormWindow& owner, ui::Button& button) {
    return std::make_unique<ButtonPeer>(owner, button);
}
std::unique_ptr<Peer> MakeCheckBoxPeer(FormWindow& owner, ui::CheckBox& box) {
    return std::make_unique<CheckBoxPeer>(owner, box);
}
std::unique_ptr<Peer> MakeOptionPeer(FormWindow& owner, ui::OptionButton& option) {
    return std::make_unique<OptionPeer>(owner, option);
}

}  // namespace win32
