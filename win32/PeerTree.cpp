// The tree with check boxes. Items carry the node's 1-based index; the check
// state shown is always the model's: a toggle by mouse or Space is handed to
// TreeView::UserToggleCheck after the control has finished its own handling,
// and the image is then set from the model again.
#include <windows.h>
// (first: the other system headers need its types)

#include <commctrl.h>

#include <vector>

#include "ui/Form.h"
#include "win32/FormWindow.h"
#include "win32/PeerKinds.h"

namespace win32 {

namespace {

class TreePeer : public Peer {
  public:
    TreePeer(FormWindow& owner, ui::TreeView& tree) : Peer(owner, tree), tree_(tree) {}

    void Create(int id, bool groupStart) override {
        (void)groupStart;
        CreateChild(WC_TREEVIEWW,
                    TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS | WS_GROUP |
                        (tree_.tabStop ? WS_TABSTOP : 0),
                    WS_EX_CLIENTEDGE, id, L"");
        if (tree_.checkBoxes) {
            // Set after creation, so that the control makes its state images.
            LONG_PTR style = ::GetWindowLongPtrW(hwnd_, GWL_STYLE);
            ::SetWindowLongPtrW(hwnd_, GWL_STYLE, style | TVS_CHECKBOXES);
            // The control does not destroy the check box images it made.
            stateImages_.reset(reinterpret_cast<HIMAGELIST>(
                ::SendMessageW(hwnd_, TVM_GETIMAGELIST, TVSIL_STATE, 0)));
        }
    }

    void ApplyAll() override {
        Peer::ApplyAll();
        ApplyTreeColors();
        Rebuild();
    }

    bool OnNotify(NMHDR& header, LRESULT& result) override {
        result = 0;
        switch (header.code) {
            case NM_CLICK:
            case NM_DBLCLK: {
                DWORD pos = ::GetMessagePos();
                TVHITTESTINFO hit{};
                hit.pt = {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
                ::ScreenToClient(hwnd_, &hit.pt);
                ::SendMessageW(hwnd_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
                if (hit.hItem && (hit.flags & TVHT_ONITEMSTATEICON)) PostToggle(hit.hItem);
                return true;
            }
            case TVN_KEYDOWN: {
                auto& key = reinterpret_cast<NMTVKEYDOWN&>(header);
                if (key.wVKey == VK_SPACE) {
                    auto item = reinterpret_cast<HTREEITEM>(
                        ::SendMessageW(hwnd_, TVM_GETNEXTITEM, TVGN_CARET, 0));
                    if (item) PostToggle(item);
                }
                return true;
            }
            case TVN_ITEMEXPANDEDW: {
                if (updating_) return true;
                auto& view = reinterpret_cast<NMTREEVIEWW&>(header);
                if (ui::TreeNode* node = NodeOf(view.itemNew.hItem)) {
                    updating_ = true;
                    node->SetExpanded(view.action == TVE_EXPAND);
                    updating_ = false;
                }
                return true;
            }
            default:
                return false;
        }
    }

    void OnPosted(LPARAM data) override {
        auto item = reinterpret_cast<HTREEITEM>(data);
        const int index = IndexOf(item);
        if (index < 0) return;
        tree_.UserToggleCheck(*tree_.Node(index + 1));
        if (owner_.destroying) return;
        // Whatever the handler did, the box shows the model's state.
        if (IndexOf(item) == index)
            if (ui::TreeNode* node = tree_.Node(index + 1)) ApplyCheck(item, *node);
    }

  protected:
    void OnUpdate(ui::Change what) override {
        if (what == ui::Change::Colors) {
            ApplyTreeColors();
        } else if (what == ui::Change::Nodes) {
            HoldRedraw();
            ui::TreeNode* added = tree_.lastChangedNode;
            if (added && tree_.Count() == static_cast<int>(items_.size()) + 1 &&
                added->Index() == tree_.Count())
                Insert(*added);
            else
                Rebuild();
        } else if (what == ui::Change::Value) {
            ui::TreeNode* node = tree_.lastChangedNode;
            if (!node || node->Index() < 1 || node->Index() > static_cast<int>(items_.size()))
                return;
            HTREEITEM item = items_[static_cast<std::size_t>(node->Index() - 1)];
            ApplyCheck(item, *node);
            if (!updating_) ApplyExpanded(item, *node);
        }
    }

  private:
    void PostToggle(HTREEITEM item) {
        ::PostMessageW(owner_.Hwnd(), kMsgTreeToggle, static_cast<WPARAM>(::GetDlgCtrlID(hwnd_)),
                       reinterpret_cast<LPARAM>(item));
    }

    int IndexOf(HTREEITEM item) const {
        for (std::size_t i = 0; i < items_.size(); ++i)
            if (items_[i] == item) return static_cast<int>(i);
        return -1;
    }

    ui::TreeNode* NodeOf(HTREEITEM item) const {
        const int index = IndexOf(item);
        return index < 0 ? nullptr : tree_.Node(index + 1);
    }

    void ApplyTreeColors() {
        const bool defaultBack = tree_.BackColor() == ui::kColorWindowBackground;
        const bool defaultFore = tree_.ForeColor() == ui::kColorWindowText;
        ::SendMessageW(hwnd_, TVM_SETBKCOLOR, 0,
                       defaultBack ? static_cast<LPARAM>(-1) : static_cast<LPARAM>(backColor_));
        ::SendMessageW(hwnd_, TVM_SETTEXTCOLOR, 0,
                       defaultFore ? static_cast<LPARAM>(-1) : static_cast<LPARAM>(foreColor_));
    }

    void ApplyCheck(HTREEITEM item, const ui::TreeNode& node) {
        if (!tree_.checkBoxes) return;
        TVITEMW tv{};
        tv.mask = TVIF_HANDLE | TVIF_STATE;
        tv.hItem = item;
        tv.stateMask = TVIS_STATEIMAGEMASK;
        tv.state = INDEXTOSTATEIMAGEMASK(node.Checked() ? 2 : 1);
        ::SendMessageW(hwnd_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    }

    void ApplyExpanded(HTREEITEM item, const ui::TreeNode& node) {
        updating_ = true;
        ::SendMessageW(hwnd_, TVM_EXPAND, node.Expanded() ? TVE_EXPAND : TVE_COLLAPSE,
                       reinterpret_cast<LPARAM>(item));
        updating_ = false;
    }

    void Insert(ui::TreeNode& node) {
        TVINSERTSTRUCTW insert{};
        ui::TreeNode* parent = node.Parent();
        insert.hParent = TVI_ROOT;
        if (parent && parent->Index() >= 1 && parent->Index() <= static_cast<int>(items_.size()))
            insert.hParent = items_[static_cast<std::size_t>(parent->Index() - 1)];
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM;
        insert.item.pszText = const_cast<wchar_t*>(node.Text().c_str());
        insert.item.lParam = node.Index();
        updating_ = true;
        auto item = reinterpret_cast<HTREEITEM>(
            ::SendMessageW(hwnd_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
        updating_ = false;
        items_.push_back(item);
        if (!item) return;
        ApplyCheck(item, node);
        // A parent expands with its first child; the others find it expanded.
        if (parent && parent->Expanded() && insert.hParent != TVI_ROOT &&
            !(::SendMessageW(hwnd_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(insert.hParent),
                             TVIS_EXPANDED) &
              TVIS_EXPANDED))
            ApplyExpanded(insert.hParent, *parent);
    }

    void Rebuild() {
        updating_ = true;
        ::SendMessageW(hwnd_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
        updating_ = false;
        items_.clear();
        for (int i = 1; i <= tree_.Count(); ++i) Insert(*tree_.Node(i));
    }

    struct ImageListDeleter {
        void operator()(HIMAGELIST list) const { ::ImageList_Destroy(list); }
    };

    ui::TreeView& tree_;
    std::vector<HTREEITEM> items_;  // by node index - 1
    // Declared last: released after the window (destroyed before the peers).
    UniqueGuiObject<HIMAGELIST, ImageListDeleter> stateImages_;
};

}  // namespace

std::unique_ptr<Peer> MakeTreePeer(FormWindow& owner, ui::TreeView& tree) {
    return std::make_unique<TreePeer>(owner, tree);
}

}  // namespace win32
