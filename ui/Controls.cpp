#include "ui/Controls.h"

#include <algorithm>

#include "ui/Form.h"
#include "ui/Shell.h"

namespace ui {

Control::Control(Form& form, ControlKind kind, std::wstring name, int index)
    : form_(form), kind_(kind), name_(std::move(name)), index_(index) {}

Control::~Control() = default;

void Control::Notify(Change what) {
    if (peer_) peer_->Update(*this, what);
}

void Control::SyncFromPeer() const {
    if (peer_) peer_->Sync(const_cast<Control&>(*this));
}

void Control::SetCaption(const std::wstring& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    Notify(Change::Caption);
}

void Control::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Notify(Change::Enabled);
    // Children of a frame follow its state on screen.
    if (kind_ == ControlKind::Frame) {
        for (const auto& c : form_.Controls())
            if (c->container == this) c->Notify(Change::Enabled);
    }
}

bool Control::EffectivelyEnabled() const {
    for (const Control* c = this; c; c = c->container)
        if (!c->enabled_) return false;
    return true;
}

void Control::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    Notify(Change::Visible);
}

void Control::SetBackColor(std::uint32_t color) {
    if (color == backColor_) return;
    backColor_ = color;
    Notify(Change::Colors);
}

void Control::SetForeColor(std::uint32_t color) {
    if (color == foreColor_) return;
    foreColor_ = color;
    Notify(Change::Colors);
}

void Control::SetFocus() {
    form_.SetFocusedControl(this);
    Notify(Change::Focus);
}

bool Control::HasFocus() const { return form_.FocusedControl() == this; }

Button::Button(Form& form, std::wstring name, int index)
    : Control(form, ControlKind::Button, std::move(name), index) {}

void Button::UserClick() {
    if (!EffectivelyEnabled() || !Visible()) return;
    Owner().GetShell().RunEvent(&Owner(), [this] {
        if (Click) Click();
    });
}

Label::Label(Form& form, std::wstring name, int index)
    : Control(form, ControlKind::Label, std::move(name), index) {
    tabStop = false;
}

Picture::Picture(Form& form, std::wstring name, int index)
    : Control(form, ControlKind::Picture, std::move(name), index) {
    tabStop = false;
}

Line::Line(Form& form, std::wstring name, int index)
    : Control(form, ControlKind::Line, std::move(name), index) {
    tabStop = false;
}

Frame::Frame(Form& form, std::wstring name, int index)
    : Control(form, ControlKind::Frame, std::move(name), index) {
    tabStop = false;
}

TextBox::TextBox(Form& form, std::wstring name, int index)
    : Control(form, ControlKind::TextBox, std::move(name), index) {
    SetBackColor(kColorWindowBackground);
}

void TextBox::SetText(const std::wstring& text) {
    if (text == text_) return;
    text_ = text;
    selStart_ = std::min<int>(selStart_, static_cast<int>(text_.size()));
    selLength_ = 0;
    Notify(Change::Text);
    if (Changed) Changed();
}

int TextBox::SelStart() const {
    SyncFromPeer();
    return selStart_;
}

int TextBox::SelLength() const {
    SyncFromPeer();
    return selLength_;
}

void TextBox::SetSelection(int start, int length) {
    const int size = static_cast<int>(text_.size());
    selStart_ = std::clamp(start, 0, size);
    selLength_ = std::clamp(length, 0, size - selStart_);
    Notify(Change::Selection);
}

void TextBox::ReplaceSelection(const std::wstring& text) {
    SyncFromPeer();
    const auto start = static_cast<std::size_t>(selStart_);
    const auto length = static_cast<std::size_t>(selLength_);
    text_.replace(start, length, text);
    selStart_ = static_cast<int>(start + text.size());
    selLength_ = 0;
    Notify(Change::Text);
    Notify(Change::Selection);
    if (Changed) Changed();
}

void TextBox::UserSetText(const std::wstring& text) {
    if (!EffectivelyEnabled() || readOnly) return;
    std::wstring limited = text;
    if (maxLength > 0 && static_cast<int>(limited.size()) > maxLength)
        limited.resize(static_cast<std::size_t>(maxLength));
    Owner().GetShell().RunEvent(&Owner(), [this, &limited] {
        SetText(limited);
        SetSelection(static_cast<int>(text_.size()), 0);
    });
}

void TextBox::PeerSetSelection(int start, int length) {
    const int size = static_cast<int>(text_.size());
    selStart_ = std::clamp(start, 0, size);
    selLength_ = std::clamp(length, 0, size - selStart_);
}

void TextBox::PeerSetText(const std::wstring& text) {
    if (text == text_) return;
    text_ = text;
    selStart_ = std::min<int>(selStart_, static_cast<int>(text_.size()));
    selLength_ = 0;
    Owner().GetShell().RunEvent(&Owner(), [this] {
        if (Changed) Changed();
    });
}

CheckBox::CheckBox(Form& form, std::wstring name, int index)
    : Control(form, ControlKind::CheckBox, std::move(name), index) {}

void CheckBox::SetValue(int value) {
    if (value == value_) return;
    value_ = value;
    Notify(Change::Value);
    if (Click) Click();
}

void CheckBox::UserClick() {
    if (!EffectivelyEnabled()) return;
    Owner().GetShell().RunEvent(&Owner(), [this] { SetValue(value_ == 1 ? 0 : 1); });
}

OptionButton::OptionButton(Form& form, std::wstring name, int index)
    : Control(form, ControlKind::OptionButton, std::move(name), index) {}

void OptionButton::SetValue(bool selected) {
    if (selected == value_) return;
    if (!selected) {
        value_ = false;
        Notify(Change::Value);
        return;
    }
    for (OptionButton* other : Owner().OptionGroup(*this)) {
        if (other != this && other->value_) {
            other->value_ = false;
            other->Notify(Change::Value);
        }
    }
    value_ = true;
    Notify(Change::Value);
    if (Click) Click();
}

void OptionButton::UserClick() {
    if (!EffectivelyEnabled()) return;
    Owner().GetShell().RunEvent(&Owner(), [this] {
        if (value_) {
            // Choosing the selected button again still reports the click.
            if (Click) Click();
        } else {
            SetValue(true);
        }
    });
}

ListControl::ListControl(Form& form, ControlKind kind, std::wstring name, int index)
    : Control(form, kind, std::move(name), index) {
    SetBackColor(kColorWindowBackground);
}

void ListControl::Clear() {
    items_.clear();
    listIndex_ = -1;
    Notify(Change::Items);
}

void ListControl::AddItem(const std::wstring& item) {
    items_.push_back(item);
    Notify(Change::Items);
}

void ListControl::SetListIndex(int index) {
    if (index < -1 || index >= ListCount()) index = -1;
    if (index == listIndex_) return;
    listIndex_ = index;
    Notify(Change::Selection);
    if (Click) Click();
}

std::wstring ListControl::Text() const {
    if (listIndex_ < 0 || listIndex_ >= ListCount()) return {};
    return items_[static_cast<std::size_t>(listIndex_)];
}

void ListControl::UserSelect(int index) {
    if (!EffectivelyEnabled()) return;
    Owner().GetShell().RunEvent(&Owner(), [this, index] { SetListIndex(index); });
}

ComboBox::ComboBox(Form& form, std::wstring name, int index)
    : ListControl(form, ControlKind::ComboBox, std::move(name), index) {}

ListBox::ListBox(Form& form, std::wstring name, int index)
    : ListControl(form, ControlKind::ListBox, std::move(name), index) {}

void TreeNode::SetChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    if (tree_) tree_->NotifyNodeChanged(*this);
}

void TreeNode::SetExpanded(bool expanded) {
    if (expanded == expanded_) return;
    expanded_ = expanded;
    if (tree_) tree_->NotifyNodeChanged(*this);
}

TreeNode* TreeNode::Next() const {
    const std::vector<TreeNode*>* siblings = parent_ ? &parent_->children_
                                             : tree_ ? &tree_->roots_
                                                     : nullptr;
    if (!siblings) return nullptr;
    return positionInParent_ + 1 < siblings->size() ? (*siblings)[positionInParent_ + 1] : nullptr;
}

TreeView::TreeView(Form& form, std::wstring name, int index)
    : Control(form, ControlKind::Tree, std::move(name), index) {
    SetBackColor(kColorWindowBackground);
}

TreeView::~TreeView() = default;

void TreeView::Clear() {
    nodes_.clear();
    roots_.clear();
    byKey_.clear();
    lastChangedNode = nullptr;
    Notify(Change::Nodes);
}

TreeNode* TreeView::Add(TreeNode* parent, const std::wstring& key, const std::wstring& text) {
    if (key.empty() || byKey_.count(key)) return nullptr;
    TreeNode* node = &nodes_.emplace_back();
    node->tree_ = this;
    node->key_ = key;
    node->text_ = text;
    node->parent_ = parent;
    node->index_ = static_cast<int>(nodes_.size());
    auto& siblings = parent ? parent->children_ : roots_;
    node->positionInParent_ = siblings.size();
    siblings.push_back(node);
    byKey_.emplace(node->key_, node);
    lastChangedNode = node;
    Notify(Change::Nodes);
    return node;
}

TreeNode* TreeView::AddRoot(const std::wstring& key, const std::wstring& text) {
    return Add(nullptr, key, text);
}

TreeNode* TreeView::AddChild(const std::wstring& parentKey, const std::wstring& key,
                             const std::wstring& text) {
    TreeNode* parent = FindByKey(parentKey);
    if (!parent) return nullptr;
    return Add(parent, key, text);
}

TreeNode* TreeView::Node(int oneBasedIndex) const {
    if (oneBasedIndex < 1 || oneBasedIndex > Count()) return nullptr;
    return const_cast<TreeNode*>(&nodes_[static_cast<std::size_t>(oneBasedIndex - 1)]);
}

TreeNode* TreeView::FindByKey(const std::wstring& key) const {
    auto it = byKey_.find(key);
    return it == byKey_.end() ? nullptr : it->second;
}

void TreeView::UserToggleCheck(TreeNode& node) {
    if (!EffectivelyEnabled()) return;
    Owner().GetShell().RunEvent(&Owner(), [this, &node] {
        node.SetChecked(!node.Checked());
        if (NodeCheck) NodeCheck(node);
    });
}

void TreeView::NotifyNodeChanged(TreeNode& node) {
    lastChangedNode = &node;
    Notify(Change::Value);
}

}  // namespace ui
