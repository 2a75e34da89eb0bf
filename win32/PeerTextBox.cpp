// Text boxes: single-line (optionally a password box with a length limit)
// and multi-line with scroll bars. What the user types reaches the model
// through EN_CHANGE; the caret and selection are pulled when code reads them.
#include <windows.h>
// (first: the other system headers need its types)

#include <commctrl.h>

#include <string>

#include "ui/Form.h"
#include "win32/FormWindow.h"
#include "win32/PeerKinds.h"

namespace win32 {

namespace {

std::wstring WindowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
    const int copied = ::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

class TextBoxPeer : public Peer {
  public:
    TextBoxPeer(FormWindow& owner, ui::TextBox& box) : Peer(owner, box), box_(box) {}

    void Create(int id, bool groupStart) override {
        (void)groupStart;
        DWORD style = WS_GROUP | (box_.tabStop ? WS_TABSTOP : 0);
        if (box_.multiLine) {
            style |= ES_MULTILINE | ES_AUTOVSCROLL;
            if (box_.scrollBars) style |= WS_VSCROLL | WS_HSCROLL | ES_AUTOHSCROLL;
            // Without a default button Enter starts a new line.
            if (!box_.Owner().DefaultButton()) style |= ES_WANTRETURN;
        } else {
            style |= ES_AUTOHSCROLL;
        }
        if (box_.passwordChar) style |= ES_PASSWORD;
        if (box_.readOnly) style |= ES_READONLY;
        updating_ = true;
        CreateChild(L"EDIT", style, WS_EX_CLIENTEDGE, id, box_.Text());
        if (box_.passwordChar) ::SendMessageW(hwnd_, EM_SETPASSWORDCHAR, box_.passwordChar, 0);
        ::SendMessageW(hwnd_, EM_LIMITTEXT, box_.maxLength > 0 ? box_.maxLength : 0, 0);
        updating_ = false;
        if (box_.multiLine) ::SetWindowSubclass(hwnd_, &TextBoxPeer::KeysProc, 1, 0);
    }

    void OnCommand(WORD code) override {
        if (code != EN_CHANGE || updating_) return;
        box_.PeerSetText(WindowText(hwnd_));
    }

    void Sync(ui::Control& control) override {
        (void)control;
        if (updating_ || !hwnd_ || owner_.destroying) return;
        DWORD start = 0, end = 0;
        ::SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                       reinterpret_cast<LPARAM>(&end));
        box_.PeerSetSelection(static_cast<int>(start), static_cast<int>(end - start));
    }

  protected:
    void OnUpdate(ui::Change what) override {
        if (what == ui::Change::Text) {
            updating_ = true;
            ::SetWindowTextW(hwnd_, box_.Text().c_str());
            updating_ = false;
        } else if (what == ui::Change::Selection) {
            updating_ = true;  // reading the model's selection must not pull the window's
            const int start = box_.SelStart();
            const int length = box_.SelLength();
            updating_ = false;
            ::SendMessageW(hwnd_, EM_SETSEL, static_cast<WPARAM>(start),
                           static_cast<LPARAM>(start + length));
            ::SendMessageW(hwnd_, EM_SCROLLCARET, 0, 0);
        }
    }

  private:
    // A multi-line edit box keeps Tab and Escape for itself (and closes a
    // dialog on Escape); here Tab moves on and Escape presses the cancel
    // button, as in every other control. Ctrl+Tab still types a tab.
    static LRESULT CALLBACK KeysProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR data) {
        (void)data;
        if (message == WM_NCDESTROY) ::RemoveWindowSubclass(hwnd, &TextBoxPeer::KeysProc, id);
        LRESULT result = ::DefSubclassProc(hwnd, message, wParam, lParam);
        if (message == WM_GETDLGCODE && lParam) {
            const MSG& msg = *reinterpret_cast<const MSG*>(lParam);
            const bool keyDown = msg.message == WM_KEYDOWN || msg.message == WM_CHAR;
            const bool tab = msg.wParam == VK_TAB && ::GetKeyState(VK_CONTROL) >= 0;
            const bool escape = msg.wParam == VK_ESCAPE;
            if (keyDown && (tab || escape))
                result &= ~(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTMESSAGE);
        }
        return result;
    }

    ui::TextBox& box_;
};

}  // namespace

std::unique_ptr<Peer> MakeTextBoxPeer(FormWindow& owner, ui::TextBox& box) {
    return std::make_unique<TextBoxPeer>(owner, box);
}

}  // namespace win32
