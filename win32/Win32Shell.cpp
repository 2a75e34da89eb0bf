#include "win32/Win32Shell.h"

#include <algorithm>
#include <stdexcept>

#include "ui/Form.h"
#include "win32/FormWindow.h"

namespace win32 {

namespace {

// Keeps records of unloaded forms until the outermost window procedure or
// shell operation is done with them.
class ProcScope {
  public:
    explicit ProcScope(Win32Shell& shell) : shell_(shell) { shell_.EnterProc(); }
    ~ProcScope() { shell_.LeaveProc(); }
    ProcScope(const ProcScope&) = delete;
    ProcScope& operator=(const ProcScope&) = delete;

  private:
    Win32Shell& shell_;
};

}  // namespace

Win32Shell::Win32Shell(HINSTANCE instance, HINSTANCE resources)
    : instance_(instance), resources_(resources ? resources : instance) {
    FormWindow::RegisterWindowClass(instance_, resources_);
}

Win32Shell::~Win32Shell() {
    // Windows still open when the shell goes: destroyed without running handlers.
    ProcScope scope(*this);
    for (auto& record : windows_) {
        record->Model().MarkVisible(false);
        record->Model().MarkLoaded(false);
        record->Destroy();
    }
    for (auto& record : windows_) retired_.push_back(std::move(record));
    windows_.clear();
}

void Win32Shell::LeaveProc() {
    if (--procDepth_ == 0) FreeRetired();
}

void Win32Shell::FreeRetired() {
    if (procDepth_ == 0) retired_.clear();
}

FormWindow* Win32Shell::RecordOf(const ui::Form& form) const {
    for (const auto& record : windows_)
        if (&record->Model() == &form) return record.get();
    return nullptr;
}

FormWindow* Win32Shell::RecordOf(HWND topLevel) const {
    if (!topLevel) return nullptr;
    for (const auto& record : windows_)
        if (record->Hwnd() == topLevel) return record.get();
    return nullptr;
}

bool Win32Shell::IsFormWindow(HWND hwnd) const {
    if (!hwnd) return false;
    if (RecordOf(hwnd)) return true;
    return std::any_of(retired_.begin(), retired_.end(),
                       [hwnd](const auto& r) { return r->Hwnd() == hwnd; });
}

HWND Win32Shell::WindowOf(const ui::Form& form) const {
    FormWindow* record = RecordOf(form);
    return record ? record->Hwnd() : nullptr;
}

std::vector<std::shared_ptr<ui::Form>> Win32Shell::LoadedForms() const {
    std::vector<std::shared_ptr<ui::Form>> forms;
    for (const auto& record : windows_)
        if (!record->unloading) forms.push_back(record->FormPtr());
    return forms;
}

HWND Win32Shell::DialogOwner() {
    // Owned windows stay out of the task bar; the owner is never shown.
    if (!hiddenOwner_) {
        hiddenOwner_.reset(::CreateWindowExW(0, L"STATIC", AppTitle().c_str(), WS_POPUP, 0, 0, 0, 0,
                                             nullptr, nullptr, instance_, nullptr));
    }
    return hiddenOwner_.get();
}

void Win32Shell::Load(ui::Form& form) {
    if (form.IsLoaded()) return;
    auto record = std::make_unique<FormWindow>(*this, form.shared_from_this());
    HWND owner = form.borderStyle == ui::BorderStyle::FixedDialog ? DialogOwner() : nullptr;
    if (!record->Create(owner)) {
        record->Destroy();
        throw std::runtime_error("The window could not be created.");
    }
    windows_.push_back(std::move(record));
    form.MarkLoaded(true);
    RunEvent(&form, [&form] { form.Form_Load(); });
}

void Win32Shell::Show(ui::Form& form) {
    Load(form);
    FormWindow* record = RecordOf(form);
    if (!record || record->unloading) return;
    HWND hwnd = record->Hwnd();
    if (form.IsVisible() && ::IsWindowVisible(hwnd)) {
        ::SetForegroundWindow(hwnd);
        return;
    }
    record->activatedSinceShow = false;
    form.MarkVisible(true);
    ::ShowWindow(hwnd, SW_SHOW);
    ::SetForegroundWindow(hwnd);
    ::UpdateWindow(hwnd);
    record = RecordOf(form);  // an Activate handler may have unloaded it
    if (!record) return;
    record->ApplyFocus();
    if (!record->activatedSinceShow) {
        // Not activated (another application holds the foreground): the form
        // still gets its first Activate, as it would on screen.
        record->activatedSinceShow = true;
        RunEvent(&form, [&form] { form.Form_Activate(); });
    }
}

std::vector<HWND> Win32Shell::DisableOthers(HWND except) const {
    std::vector<HWND> disabled;
    for (const auto& record : windows_) {
        HWND hwnd = record->Hwnd();
        if (hwnd != except && ::IsWindowEnabled(hwnd)) {
            ::EnableWindow(hwnd, FALSE);
            disabled.push_back(hwnd);
        }
    }
    return disabled;
}

void Win32Shell::Enable(std::vector<HWND>& windows) {
    for (HWND hwnd : windows)
        if (::IsWindow(hwnd)) ::EnableWindow(hwnd, TRUE);
    windows.clear();
}

void Win32Shell::ReleaseModal(const ui::Form& form) {
    // Enabling the others before the modal window goes lets Windows hand the
    // activation back to one of them.
    for (ModalSession* session : modal_)
        if (session->form == &form) Enable(session->disabled);
}

void Win32Shell::ShowModal(ui::Form& form) {
    HWND previous = ::GetActiveWindow();
    Show(form);
    FormWindow* record = RecordOf(form);
    if (!record || !form.IsVisible()) return;
    ModalSession session;
    session.form = &form;
    session.disabled = DisableOthers(record->Hwnd());
    modal_.push_back(&session);
    auto keep = form.shared_from_this();
    while (form.IsLoaded() && form.IsVisible()) {
        MSG msg;
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0) break;
        Process(msg);
    }
    modal_.erase(std::find(modal_.begin(), modal_.end(), &session));
    Enable(session.disabled);
    if (previous && previous != WindowOf(form) && ::IsWindow(previous) &&
        ::IsWindowVisible(previous))
        ::SetActiveWindow(previous);
}

void Win32Shell::Hide(ui::Form& form) {
    FormWindow* record = RecordOf(form);
    form.MarkVisible(false);
    if (!record) return;
    ReleaseModal(form);
    ::ShowWindow(record->Hwnd(), SW_HIDE);
}

void Win32Shell::Unload(ui::Form& form) {
    FormWindow* record = RecordOf(form);
    if (!record || record->unloading) return;
    record->unloading = true;
    ProcScope scope(*this);
    auto keep = form.shared_from_this();
    RunEvent(&form, [&form] { form.Form_Unload(); });
    ReleaseModal(form);
    auto it = std::find_if(windows_.begin(), windows_.end(),
                           [&form](const auto& r) { return &r->Model() == &form; });
    if (it == windows_.end()) return;
    std::unique_ptr<FormWindow> owned = std::move(*it);
    windows_.erase(it);
    form.MarkVisible(false);
    form.MarkLoaded(false);
    FormWindow* raw = owned.get();
    retired_.push_back(std::move(owned));
    raw->Destroy();
    // Wakes a loop waiting in GetMessage, so that it sees the last form gone.
    if (windows_.empty()) ::PostThreadMessageW(::GetCurrentThreadId(), WM_NULL, 0, 0);
}

void Win32Shell::Refresh(ui::Form& form) {
    FormWindow* record = RecordOf(form);
    if (!record) return;
    record->ApplyCaption();
    ::RedrawWindow(record->Hwnd(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

int Win32Shell::MsgBox(const std::wstring& text, int style, const std::wstring& title) {
    HWND owner = ::GetActiveWindow();
    if (!IsFormWindow(owner)) owner = nullptr;
    if (!owner) {
        // The newest visible form keeps the box in front of the application.
        for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
            if (::IsWindowVisible((*it)->Hwnd()) && ::IsWindowEnabled((*it)->Hwnd())) {
                owner = (*it)->Hwnd();
                break;
            }
    }
    // Like every modal box of the application: no other form takes input
    // meanwhile (MessageBoxW itself disables only the owner).
    std::vector<HWND> disabled;
    if (owner) disabled = DisableOthers(owner);
    UINT flags = static_cast<UINT>(style);
    if (!owner) flags |= MB_TASKMODAL;
    const std::wstring& caption = title.empty() ? AppTitle() : title;
    int answer = ::MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
    Enable(disabled);
    return answer;
}

void Win32Shell::TrackFocus() {
    HWND focus = ::GetFocus();
    if (focus == lastFocus_) return;
    lastFocus_ = focus;
    if (!focus) return;
    FormWindow* record = RecordOf(::GetAncestor(focus, GA_ROOT));
    if (!record || record->destroying) return;
    if (ui::Control* control = record->ControlOf(focus)) record->Model().SetFocusedControl(control);
}

void Win32Shell::Process(MSG& msg) {
    HWND root = msg.hwnd ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    FormWindow* record = RecordOf(root);
    if (record && ((msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) ||
                   msg.message == WM_MOUSELEAVE))
        record->OnQueuedMouse(msg);
    if (!(record && !record->destroying && ::IsDialogMessageW(root, &msg))) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    TrackFocus();
    FreeRetired();
}

void Win32Shell::DoEvents() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        Process(msg);
    }
}

void Win32Shell::Sleep(int milliseconds) { ::Sleep(static_cast<DWORD>(std::max(0, milliseconds))); }

int Win32Shell::Run() {
    while (!windows_.empty()) {
        MSG msg;
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got < 0) break;
        Process(msg);
    }
    FreeRetired();
    return 0;
}

}  // namespace win32
