#include "win32/FormWindow.h"

#include <windows.h>
// (first: the other system headers need its types)

#include <commctrl.h>

#include <algorithm>

#include "res/resource.h"
#include "ui/Shell.h"
#include "win32/Dpi.h"
#include "win32/Win32Shell.h"

namespace win32 {

namespace {

RECT WorkArea() {
    RECT area{};
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0))
        area = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    return area;
}

UniqueFont MakeFont(const std::wstring& face, double points, int dpi, bool bold) {
    LOGFONTW font{};
    font.lfHeight = FontHeightForPoints(points, dpi);
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
    return UniqueFont(::CreateFontIndirectW(&font));
}

}  // namespace

FormWindow::FormWindow(Win32Shell& shell, std::shared_ptr<ui::Form> form)
    : shell_(shell), form_(std::move(form)) {}

FormWindow::~FormWindow() { Destroy(); }

HINSTANCE FormWindow::Instance() const { return shell_.Instance(); }

HINSTANCE FormWindow::Resources() const { return shell_.Resources(); }

int FormWindow::LineHeight(bool bold) const {
    int& height = lineHeight_[bold ? 1 : 0];
    if (!height) {
        UniqueScreenDc dc(::GetDC(nullptr));
        SelectedObject font(dc.get(), Font(bold));
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(dc.get(), &metrics);
        height = metrics.tmHeight;
    }
    return height;
}

int FormWindow::Px(int twips) const { return ui::TwipsToPixels(twips, dpi_); }

namespace {

// Shared icons belong to the system's cache for the life of the process,
// which is how long the class that shows them lives.
HICON LoadSharedIcon(HINSTANCE module, int id, int size) {
    return static_cast<HICON>(
        ::LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_SHARED));
}

}  // namespace

bool FormWindow::RegisterWindowClass(HINSTANCE instance, HINSTANCE resources) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (::GetClassInfoExW(instance, ClassName(), &existing)) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &FormWindow::Proc;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = instance;
    // The program's icon comes with the class, so that a window is given its
    // icon as it is made: under Wine every WM_SETICON afterwards converts
    // the icons again for the X window.
    wc.hIcon = LoadSharedIcon(resources, IDI_APP, ::GetSystemMetrics(SM_CXICON));
    wc.hIconSm = LoadSharedIcon(resources, IDI_APP, ::GetSystemMetrics(SM_CXSMICON));
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = ClassName();
    return ::RegisterClassExW(&wc) != 0;
}

UniqueIcon FormWindow::LoadFormIcon(int size) const {
    const int id = form_->iconId ? form_->iconId : IDI_APP;
    return UniqueIcon(static_cast<HICON>(
        ::LoadImageW(Resources(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0)));
}

void FormWindow::BuildMenu(HMENU parent, const std::vector<ui::MenuItem>& items,
                           std::vector<int> path) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        const ui::MenuItem& item = items[i];
        std::vector<int> itemPath = path;
        itemPath.push_back(static_cast<int>(i));
        if (item.items.empty()) {
            int id = kFirstMenuCommand + static_cast<int>(menuCommands_.size());
            menuCommands_[id] = itemPath;
            ::AppendMenuW(parent, MF_STRING, static_cast<UINT_PTR>(id), item.caption.c_str());
        } else {
            UniqueMenu popup(::CreatePopupMenu());
            if (!popup) continue;
            BuildMenu(popup.get(), item.items, itemPath);
            if (::AppendMenuW(parent, MF_POPUP, reinterpret_cast<UINT_PTR>(popup.get()),
                              item.caption.c_str()))
                popup.release();  // the parent menu owns it now
        }
    }
}

bool FormWindow::Create(HWND owner) {
    dpi_ = ScreenDpi();
    font_ = MakeFont(form_->fontName, form_->fontSize, dpi_, false);
    boldFont_ = MakeFont(form_->fontName, form_->fontSize, dpi_, true);

    const bool dialog = form_->borderStyle == ui::BorderStyle::FixedDialog;
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS;
    if (!dialog) style |= WS_MINIMIZEBOX;
    DWORD exStyle = WS_EX_CONTROLPARENT | (dialog ? WS_EX_DLGMODALFRAME : 0);

    if (!form_->menus.empty()) {
        menu_.reset(::CreateMenu());
        if (menu_) BuildMenu(menu_.get(), form_->menus, {});
    }

    const int clientWidth = Px(form_->clientWidth);
    const int clientHeight = Px(form_->clientHeight);
    RECT frame{0, 0, clientWidth, clientHeight};
    ::AdjustWindowRectEx(&frame, style, menu_ ? TRUE : FALSE, exStyle);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    const RECT area = WorkArea();
    auto centred = [&area](int size, int from, int to) {
        return std::max(static_cast<int>(from), from + (to - from - size) / 2);
    };
    hwnd_ = ::CreateWindowExW(exStyle, ClassName(), form_->Caption().c_str(), style,
                              centred(width, area.left, area.right),
                              centred(height, area.top, area.bottom), width, height, owner,
                              menu_.get(), Instance(), this);
    if (!hwnd_) return false;
    menu_.release();  // destroyed with the window

    // A menu bar that wraps takes more than AdjustWindowRectEx allowed for.
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    const int dw = clientWidth - client.right;
    const int dh = clientHeight - client.bottom;
    if (dw || dh) {
        width += dw;
        height += dh;
        ::SetWindowPos(hwnd_, nullptr, centred(width, area.left, area.right),
                       centred(height, area.top, area.bottom), width, height,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }

    // A form with an icon of its own sets it; the others keep the class's.
    const bool ownIcon = form_->iconId && form_->iconId != IDI_APP;
    if (ownIcon || !::GetClassLongPtrW(hwnd_, GCLP_HICON)) {
        bigIcon_ = LoadFormIcon(::GetSystemMetrics(SM_CXICON));
        smallIcon_ = LoadFormIcon(::GetSystemMetrics(SM_CXSMICON));
        if (bigIcon_)
            ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
        if (smallIcon_)
            ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL,
                           reinterpret_cast<LPARAM>(smallIcon_.get()));
    }
    ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

    CreateControls();
    if (ui::Button* button = form_->DefaultButton())
        if (Peer* peer = PeerOf(*button))
            ::SendMessageW(hwnd_, DM_SETDEFID, static_cast<WPARAM>(::GetDlgCtrlID(peer->Hwnd())),
                           0);
    return true;
}

void FormWindow::CreateControls() {
    const auto& controls = form_->Controls();
    auto idOf = [&controls](const ui::Control* control) {
        for (std::size_t i = 0; i < controls.size(); ++i)
            if (controls[i].get() == control) return kFirstControlId + static_cast<int>(i);
        return 0;
    };
    const ui::Control* previous = nullptr;
    for (ui::Control* control : form_->TabOrder()) {
        // Option buttons that follow one another in one container form a
        // group that the arrow keys move through; everything else starts one.
        const bool continuesGroup = control->Kind() == ui::ControlKind::OptionButton && previous &&
                                    previous->Kind() == ui::ControlKind::OptionButton &&
                                    previous->container == control->container;
        std::unique_ptr<Peer> peer = CreatePeer(*this, *control);
        peer->Create(idOf(control), !continuesGroup);
        control->SetPeer(peer.get());
        peers_.push_back(std::move(peer));
        previous = control;
    }
    // The dialog manager walks siblings in z-order: make it the tab order.
    // Children created one after another already stand in that order, so
    // only a window out of place is moved.
    HWND after = HWND_TOP;
    for (const auto& peer : peers_) {
        const HWND above = ::GetWindow(peer->Hwnd(), GW_HWNDPREV);
        if (after == HWND_TOP ? above != nullptr : above != after)
            ::SetWindowPos(peer->Hwnd(), after, 0, 0, 0, 0,
                           SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        after = peer->Hwnd();
    }
    for (const auto& peer : peers_) peer->ApplyAll();
}

void FormWindow::AddToolTip(HWND control, const RECT& bounds, const std::wstring& text) {
    toolsToAdd_.push_back({control, bounds, text});
    if (toolTip_) AddPendingTools();
}

void FormWindow::AddPendingTools() {
    // Made when the mouse first moves over the window rather than with the
    // window: a tool tip is a top-level window of its own, which Wine gives an
    // X window and an icon, all before the first paint. Until the mouse
    // comes, no tip could show anyway.
    if (!toolTip_) {
        toolTip_.reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                         WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                                         nullptr, Instance(), nullptr));
        if (!toolTip_) {
            toolsToAdd_.clear();  // no tips then, rather than a new try at every move
            return;
        }
    }
    // The tool tip learns of the mouse from OnQueuedMouse rather than by
    // subclassing every tool window, which would cost a property lookup (a
    // round trip under Wine) for every message those windows get.
    for (PendingTool& pending : toolsToAdd_) {
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.uFlags = TTF_IDISHWND;
        tool.hwnd = hwnd_;
        tool.uId = reinterpret_cast<UINT_PTR>(pending.control);
        tool.lpszText = pending.text.data();
        ::SendMessageW(toolTip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        // A disabled control gets no mouse messages; its parent does, over the
        // same rectangle, so the tip shows for greyed controls too.
        TTTOOLINFOW area{};
        area.cbSize = TTTOOLINFOW_V2_SIZE;
        area.uFlags = 0;
        area.hwnd = hwnd_;
        area.uId = static_cast<UINT_PTR>(nextToolId_++);
        area.rect = pending.bounds;
        area.lpszText = pending.text.data();
        ::SendMessageW(toolTip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&area));
    }
    toolsToAdd_.clear();
}

void FormWindow::OnQueuedMouse(const MSG& msg) {
    if (destroying) return;
    if (!toolsToAdd_.empty()) AddPendingTools();
    if (toolTip_) ::SendMessageW(toolTip_.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
    if (Peer* peer = PeerOf(msg.hwnd)) peer->OnQueuedMouse(msg);
}

void FormWindow::Destroy() {
    if (destroying) return;
    destroying = true;
    for (const auto& peer : peers_) peer->Detach();
    toolTip_.reset();
    if (hwnd_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
}

Peer* FormWindow::PeerOf(HWND child) const {
    if (!child) return nullptr;
    for (const auto& peer : peers_)
        if (peer->Hwnd() == child) return peer.get();
    return nullptr;
}

Peer* FormWindow::PeerOf(const ui::Control& control) const {
    for (const auto& peer : peers_)
        if (&peer->Model() == &control) return peer.get();
    return nullptr;
}

Peer* FormWindow::PeerById(int id) const { return PeerOf(::GetDlgItem(hwnd_, id)); }

ui::Control* FormWindow::ControlOf(HWND focus) const {
    while (focus && ::GetParent(focus) != hwnd_) focus = ::GetParent(focus);
    Peer* peer = PeerOf(focus);
    return peer ? &peer->Model() : nullptr;
}

void FormWindow::ApplyCaption() {
    if (hwnd_ && !destroying) ::SetWindowTextW(hwnd_, form_->Caption().c_str());
}

void FormWindow::ApplyFocus() {
    ui::Control* focused = form_->FocusedControl();
    Peer* peer = focused ? PeerOf(*focused) : nullptr;
    if (!peer || !::IsWindowVisible(hwnd_) || !::IsWindowEnabled(peer->Hwnd()) ||
        !::IsWindowVisible(peer->Hwnd()))
        return;
    ::SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(peer->Hwnd()), TRUE);
}

void FormWindow::OnDpiChanged(int dpi, const RECT& suggested) {
    // Moved to a monitor of another resolution: same twips, new pixels.
    if (dpi <= 0) return;
    dpi_ = dpi;
    UniqueFont font = MakeFont(form_->fontName, form_->fontSize, dpi_, false);
    UniqueFont boldFont = MakeFont(form_->fontName, form_->fontSize, dpi_, true);
    std::swap(font_, font);
    std::swap(boldFont_, boldFont);
    lineHeight_[0] = lineHeight_[1] = 0;
    ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    for (const auto& peer : peers_) peer->Rescale();
    // The old fonts go only now that no control uses them.
    ::SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void FormWindow::RunMenuCommand(int id) {
    auto it = menuCommands_.find(id);
    if (it == menuCommands_.end()) return;
    const std::vector<ui::MenuItem>* items = &form_->menus;
    const ui::MenuItem* item = nullptr;
    for (int index : it->second) {
        if (index < 0 || static_cast<std::size_t>(index) >= items->size()) return;
        item = &(*items)[static_cast<std::size_t>(index)];
        items = &item->items;
    }
    if (!item || !item->Click) return;
    std::function<void()> click = item->Click;  // the handler may rebuild the menus
    shell_.RunEvent(form_.get(), click);
}

void FormWindow::PressButton(ui::Button* button) {
    if (button) button->UserClick();
}

void FormWindow::OnActivate(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == WA_INACTIVE || destroying || unloading || !form_->IsVisible()) return;
    // Activate is the form's event for becoming the application's active
    // window: on its first activation after Show and when the user comes from
    // another form, not when a message box closes or another program yields.
    const bool fire = !activatedSinceShow || shell_.IsFormWindow(reinterpret_cast<HWND>(lParam));
    activatedSinceShow = true;
    if (fire) {
        std::shared_ptr<ui::Form> form = form_;
        shell_.RunEvent(form.get(), [form] { form->Form_Activate(); });
    }
}

LRESULT FormWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (destroying) return ::DefDlgProcW(hwnd_, message, wParam, lParam);
    switch (message) {
        case WM_COMMAND: {
            HWND control = reinterpret_cast<HWND>(lParam);
            const int id = LOWORD(wParam);
            if (control) {
                if (Peer* peer = PeerOf(control)) {
                    peer->OnCommand(HIWORD(wParam));
                    return 0;
                }
            } else if (id == IDOK) {
                PressButton(form_->DefaultButton());
                return 0;
            } else if (id == IDCANCEL) {
                PressButton(form_->CancelButton());
                return 0;
            } else if (id >= kFirstMenuCommand) {
                RunMenuCommand(id);
                return 0;
            }
            break;
        }
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (Peer* peer = PeerOf(header->hwndFrom)) {
                LRESULT result = 0;
                if (peer->OnNotify(*header, result)) return result;
            }
            break;
        }
        case WM_DRAWITEM: {
            auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            if (Peer* peer = PeerOf(item->hwndItem))
                if (peer->OnDrawItem(*item)) return TRUE;
            break;
        }
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORLISTBOX:
            if (Peer* peer = PeerOf(reinterpret_cast<HWND>(lParam)))
                if (HBRUSH brush = peer->OnControlColor(reinterpret_cast<HDC>(wParam)))
                    return reinterpret_cast<LRESULT>(brush);
            break;
        case DM_GETDEFID: {
            // Enter presses the focused button, else the default button.
            HWND focus = ::GetFocus();
            Peer* focusedPeer = (focus && ::GetParent(focus) == hwnd_) ? PeerOf(focus) : nullptr;
            if (focusedPeer && focusedPeer->Model().Kind() == ui::ControlKind::Button)
                return MAKELRESULT(::GetDlgCtrlID(focus), DC_HASDEFID);
            if (ui::Button* button = form_->DefaultButton())
                if (Peer* peer = PeerOf(*button))
                    return MAKELRESULT(::GetDlgCtrlID(peer->Hwnd()), DC_HASDEFID);
            return 0;
        }
        case kMsgTreeToggle:
            if (Peer* peer = PeerById(static_cast<int>(wParam))) peer->OnPosted(lParam);
            return 0;
        case kMsgRedrawAgain:
            if (Peer* peer = PeerById(static_cast<int>(wParam))) peer->OnRedrawAgain();
            return 0;
        case WM_ACTIVATE: {
            LRESULT result = ::DefDlgProcW(hwnd_, message, wParam, lParam);
            OnActivate(wParam, lParam);
            return result;
        }
        case kWmDpiChanged:
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_CLOSE: {
            std::shared_ptr<ui::Form> form = form_;
            shell_.RunEvent(form.get(), [form] { form->Unload(); });
            return 0;
        }
        default:
            break;
    }
    return ::DefDlgProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK FormWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    FormWindow* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self) self->hwnd_ = hwnd;
    } else {
        self = reinterpret_cast<FormWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return ::DefDlgProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->destroying = true;
        return ::DefDlgProcW(hwnd, message, wParam, lParam);
    }
    Win32Shell& shell = self->shell_;
    shell.EnterProc();
    LRESULT result = 0;
    try {
        result = self->Handle(message, wParam, lParam);
    } catch (...) {
        // Handlers run under RunEvent; whatever still gets here is dropped so
        // that it never unwinds through Windows.
        result = 0;
    }
    shell.LeaveProc();
    return result;
}

}  // namespace win32
