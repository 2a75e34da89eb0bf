#pragma once
// A small retained control model. Every control keeps its own state and raises
// the events that window code relies on, with the rules of the classic forms
// toolkit:
//  - setting a check box's value raises its Click (when the value changes);
//  - selecting an option button from code raises its Click only when the
//    selection changes, and deselects the other buttons of its container;
//  - setting a text box's text raises its Change (when the text changes);
//  - selecting a list or combo entry from code raises its Click (when the
//    selection changes);
//  - setting a tree node's check from code raises nothing.
// Methods named User... stand for what the user does with mouse or keyboard;
// the Win32 layer calls them, and so do tests that play the user.
// Layout figures are twips (1/1440 inch).
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

class Form;
class Control;

struct Bounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// What changed on a control, so that a bound window can follow.
enum class Change {
    Caption,
    Text,
    Enabled,
    Visible,
    Value,
    Items,
    Selection,
    Colors,
    Focus,
    Nodes,
    Bounds,
};

// Implemented by the Win32 layer for each control bound to a real window.
class ControlPeer {
  public:
    virtual ~ControlPeer() = default;
    virtual void Update(Control& control, Change what) = 0;
    // Pulls state that the real window owns (caret and selection of a text
    // box) into the model before code reads it.
    virtual void Sync(Control& control) { (void)control; }
};

enum class ControlKind {
    Button,
    Label,
    TextBox,
    CheckBox,
    OptionButton,
    ComboBox,
    ListBox,
    Frame,
    Line,
    Tree,
    Picture,
};

// System colours are referenced by index, as 0x80000000 | index.
constexpr std::uint32_t kColorWindowBackground = 0x80000005u;
constexpr std::uint32_t kColorWindowText = 0x80000008u;
constexpr std::uint32_t kColorButtonFace = 0x8000000Fu;
constexpr std::uint32_t kColorInactiveBorder = 0x8000000Bu;
// Plain colours are 0x00BBGGRR.
constexpr std::uint32_t Rgb(int r, int g, int b) {
    return static_cast<std::uint32_t>(r) | (static_cast<std::uint32_t>(g) << 8) |
           (static_cast<std::uint32_t>(b) << 16);
}

class Control {
  public:
    Control(Form& form, ControlKind kind, std::wstring name, int index);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    ControlKind Kind() const { return kind_; }
    const std::wstring& Name() const { return name_; }
    int Index() const { return index_; }  // -1 when not part of a control array
    Form& Owner() const { return form_; }

    // Position within the form's client area (the container does not shift it).
    Bounds bounds;
    // The frame that holds this control, if any; option buttons of one
    // container form one group.
    Control* container = nullptr;
    std::wstring toolTip;
    bool tabStop = true;

    const std::wstring& Caption() const { return caption_; }
    void SetCaption(const std::wstring& caption);

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    // Enabled and every container enabled too: what the user can operate.
    bool EffectivelyEnabled() const;

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);

    std::uint32_t BackColor() const { return backColor_; }
    std::uint32_t ForeColor() const { return foreColor_; }
    void SetBackColor(std::uint32_t color);
    void SetForeColor(std::uint32_t color);

    // Moves the keyboard focus here (and remembers it as the form's focus).
    void SetFocus();
    bool HasFocus() const;

    void SetPeer(ControlPeer* peer) { peer_ = peer; }
    ControlPeer* Peer() const { return peer_; }

  protected:
    void Notify(Change what);
    void SyncFromPeer() const;

  private:
    Form& form_;
    ControlKind kind_;
    std::wstring name_;
    int index_;
    std::wstring caption_;
    bool enabled_ = true;
    bool visible_ = true;
    std::uint32_t backColor_ = kColorButtonFace;
    std::uint32_t foreColor_ = kColorWindowText;
    ControlPeer* peer_ = nullptr;
};

class Button : public Control {
  public:
    Button(Form& form, std::wstring name, int index = -1);
    std::function<void()> Click;
    bool isDefault = false;  // Enter presses it
    bool isCancel = false;   // Escape presses it
    bool bold = false;
    int pictureId = 0;  // icon resource shown above the caption; 0 for none
    // The user pressed the button (mouse, Space, Enter or Escape, access key).
    // Disabled buttons deliver no clicks.
    void UserClick();
};

class Label : public Control {
  public:
    Label(Form& form, std::wstring name, int index = -1);
    bool bold = false;
};

class Picture : public Control {
  public:
    Picture(Form& form, std::wstring name, int index = -1);
    int pictureId = 0;
};

class Line : public Control {
  public:
    Line(Form& form, std::wstring name, int index = -1);
};

class Frame : public Control {
  public:
    Frame(Form& form, std::wstring name, int index = -1);
};

class TextBox : public Control {
  public:
    TextBox(Form& form, std::wstring name, int index = -1);
    std::function<void()> Changed;

    wchar_t passwordChar = 0;  // 0: shows the text
    int maxLength = 0;         // 0: no limit
    bool multiLine = false;
    bool scrollBars = false;  // both scroll bars (multi-line boxes)
    bool readOnly = false;

    const std::wstring& Text() const { return text_; }
    // Raises Changed when the text differs from the current one.
    void SetText(const std::wstring& text);

    int SelStart() const;
    int SelLength() const;
    void SetSelection(int start, int length);
    void SelectAll() { SetSelection(0, static_cast<int>(text_.size())); }
    // Replaces the selection with text (inserting at the caret when nothing is
    // selected) and leaves the caret after it. Raises Changed.
    void ReplaceSelection(const std::wstring& text);

    // The user typed: the whole new text as the box now shows it. A length
    // limit cuts what does not fit.
    void UserSetText(const std::wstring& text);
    // The window reports its caret/selection (Win32 peer).
    void PeerSetSelection(int start, int length);
    void PeerSetText(const std::wstring& text);

  private:
    std::wstring text_;
    int selStart_ = 0;
    int selLength_ = 0;
};

class CheckBox : public Control {
  public:
    CheckBox(Form& form, std::wstring name, int index = -1);
    std::function<void()> Click;

    int Value() const { return value_; }  // 0 unchecked, 1 checked
    bool Checked() const { return value_ == 1; }
    // Raises Click when the value changes.
    void SetValue(int value);
    void SetChecked(bool checked) { SetValue(checked ? 1 : 0); }
    // The user toggled the box (ignored when disabled).
    void UserClick();

  private:
    int value_ = 0;
};

class OptionButton : public Control {
  public:
    OptionButton(Form& form, std::wstring name, int index = -1);
    std::function<void()> Click;

    bool Value() const { return value_; }
    // Selecting deselects the other option buttons of the same container and
    // raises Click when the selection changes; deselecting raises nothing.
    void SetValue(bool selected);
    // The user chose the button (ignored when disabled).
    void UserClick();

  private:
    friend class Form;
    bool value_ = false;
};

// Shared by drop-down lists and list boxes.
class ListControl : public Control {
  public:
    ListControl(Form& form, ControlKind kind, std::wstring name, int index);
    std::function<void()> Click;

    void Clear();
    void AddItem(const std::wstring& item);
    int ListCount() const { return static_cast<int>(items_.size()); }
    const std::wstring& List(int i) const { return items_.at(static_cast<std::size_t>(i)); }
    const std::vector<std::wstring>& Items() const { return items_; }

    int ListIndex() const { return listIndex_; }
    // Raises Click when the selection changes; -1 selects nothing.
    void SetListIndex(int index);
    // The selected entry's text, or the empty text.
    std::wstring Text() const;
    // The user picked an entry.
    void UserSelect(int index);

  private:
    std::vector<std::wstring> items_;
    int listIndex_ = -1;
};

class ComboBox : public ListControl {
  public:
    ComboBox(Form& form, std::wstring name, int index = -1);
    bool sorted = false;
};

class ListBox : public ListControl {
  public:
    ListBox(Form& form, std::wstring name, int index = -1);
};

class TreeView;

class TreeNode {
  public:
    const std::wstring& Key() const { return key_; }
    const std::wstring& Text() const { return text_; }
    bool Checked() const { return checked_; }
    // Raises nothing.
    void SetChecked(bool checked);
    bool Expanded() const { return expanded_; }
    void SetExpanded(bool expanded);
    TreeNode* Parent() const { return parent_; }
    TreeNode* Child() const { return children_.empty() ? nullptr : children_.front(); }
    int Children() const { return static_cast<int>(children_.size()); }
    TreeNode* Next() const;
    int Index() const { return index_; }  // 1-based, in the order nodes were added
    const std::vector<TreeNode*>& ChildList() const { return children_; }

  private:
    friend class TreeView;
    TreeView* tree_ = nullptr;
    std::wstring key_;
    std::wstring text_;
    bool checked_ = false;
    bool expanded_ = false;
    TreeNode* parent_ = nullptr;
    std::vector<TreeNode*> children_;
    std::size_t positionInParent_ = 0;
    int index_ = 0;
};

class TreeView : public Control {
  public:
    TreeView(Form& form, std::wstring name, int index = -1);
    ~TreeView() override;
    // Raised when the user toggles a node's box.
    std::function<void(TreeNode&)> NodeCheck;
    bool checkBoxes = true;

    void Clear();
    // Adds a root node. Returns nullptr (adding nothing) for an empty or
    // duplicate key.
    TreeNode* AddRoot(const std::wstring& key, const std::wstring& text);
    // Adds the node as the last child of the node with parentKey. Returns
    // nullptr (adding nothing) for an unknown parent, an empty or a duplicate key.
    TreeNode* AddChild(const std::wstring& parentKey, const std::wstring& key,
                       const std::wstring& text);
    int Count() const { return static_cast<int>(nodes_.size()); }
    TreeNode* Node(int oneBasedIndex) const;
    TreeNode* FindByKey(const std::wstring& key) const;
    // The user toggled the node's check box: flips it and raises NodeCheck.
    void UserToggleCheck(TreeNode& node);

    void NotifyNodeChanged(TreeNode& node);
    // The node whose change was last notified, for the bound window.
    TreeNode* lastChangedNode = nullptr;

  private:
    TreeNode* Add(TreeNode* parent, const std::wstring& key, const std::wstring& text);
    friend class TreeNode;
    // A deque keeps every node where it was made, so the index can refer to
    // each node's own key text instead of holding a copy of it.
    std::deque<TreeNode> nodes_;
    std::vector<TreeNode*> roots_;
    // Ordered rather than hashed: with a hundred thousand nodes, a hash index's
    // scattered buckets made each addition dearer the bigger the tree grew.
    std::map<std::wstring_view, TreeNode*> byKey_;
};

}  // namespace ui
