// Drop-down lists and list boxes. The model keeps the entries in the order
// they were added (the windows never sort) and decides the selection.
#include "ui/Form.h"
#include "win32/Dpi.h"
#include "win32/FormWindow.h"
#include "win32/PeerKinds.h"

namespace win32 {

namespace {

class ListPeer : public Peer {
  public:
    ListPeer(FormWindow& owner, ui::ListControl& list)
        : Peer(owner, list), list_(list), combo_(list.Kind() == ui::ControlKind::ComboBox) {}

    void Create(int id, bool groupStart) override {
        (void)groupStart;
        const DWORD tab = list_.tabStop ? WS_TABSTOP : 0;
        if (combo_) {
            // The window's height includes the list that drops down.
            CreateChild(L"COMBOBOX",
                        CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL | WS_GROUP | tab, 0, id, L"",
                        ScaleFrom96(200, owner_.Dpi()));
        } else {
            CreateChild(
                L"LISTBOX",
                LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_GROUP | tab,
                WS_EX_CLIENTEDGE, id, L"");
        }
    }

    void ApplyAll() override {
        Peer::ApplyAll();
        Rebuild();
    }

    void OnCommand(WORD code) override {
        if (updating_) return;
        if ((combo_ && code == CBN_SELCHANGE) || (!combo_ && code == LBN_SELCHANGE)) {
            const int index = static_cast<int>(Send(CB_GETCURSEL, LB_GETCURSEL, 0, 0));
            list_.UserSelect(index < 0 ? -1 : index);
            if (!owner_.destroying) ApplySelection();
        }
    }

  protected:
    void Place(const RECT& r) override {
        ::MoveWindow(hwnd_, r.left, r.top, r.right - r.left,
                     r.bottom - r.top + (combo_ ? DropDownHeight() : 0), TRUE);
    }

    void OnUpdate(ui::Change what) override {
        if (what == ui::Change::Items) {
            HoldRedraw();
            const int shown = static_cast<int>(Send(CB_GETCOUNT, LB_GETCOUNT, 0, 0));
            if (shown < list_.ListCount() && shown >= 0) {
                // Entries added at the end: append only the new ones.
                updating_ = true;
                for (int i = shown; i < list_.ListCount(); ++i) AddString(list_.List(i));
                updating_ = false;
                ApplySelection();
            } else {
                Rebuild();
            }
        } else if (what == ui::Change::Selection) {
            ApplySelection();
        }
    }

  private:
    int DropDownHeight() const { return ScaleFrom96(200, owner_.Dpi()); }

    LRESULT Send(UINT comboMessage, UINT listMessage, WPARAM wParam, LPARAM lParam) const {
        return ::SendMessageW(hwnd_, combo_ ? comboMessage : listMessage, wParam, lParam);
    }

    void AddString(const std::wstring& text) {
        Send(CB_ADDSTRING, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }

    void Rebuild() {
        updating_ = true;
        Send(CB_RESETCONTENT, LB_RESETCONTENT, 0, 0);
        for (const std::wstring& item : list_.Items()) AddString(item);
        updating_ = false;
        ApplySelection();
    }

    void ApplySelection() {
        const LRESULT wanted = list_.ListIndex();
        if (Send(CB_GETCURSEL, LB_GETCURSEL, 0, 0) == wanted) return;
        updating_ = true;
        Send(CB_SETCURSEL, LB_SETCURSEL, static_cast<WPARAM>(wanted), 0);
        updating_ = false;
    }

    ui::ListControl& list_;
    bool combo_;
};

}  // namespace

std::unique_ptr<Peer> MakeListPeer(FormWindow& owner, ui::ListControl& list) {
    return std::make_unique<ListPeer>(owner, list);
}

}  // namespace win32
