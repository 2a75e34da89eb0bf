#include "ui/Form.h"

#include <algorithm>
#include <cmath>

#include "ui/Shell.h"

namespace ui {

Form::Form(Shell& shell, std::wstring name) : shell_(shell), name_(std::move(name)) {}

Form::~Form() = default;

void Form::SetCaption(const std::wstring& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    shell_.Refresh(*this);
}

std::vector<Control*> Form::TabOrder() const {
    if (!tabOrder_.empty()) return tabOrder_;
    std::vector<Control*> order;
    for (const auto& c : controls_) order.push_back(c.get());
    return order;
}

void Form::SetTabOrder(const std::vector<Control*>& order) {
    // Controls that the order leaves out keep their creation order behind it.
    tabOrder_ = order;
    for (const auto& c : controls_)
        if (std::find(order.begin(), order.end(), c.get()) == order.end())
            tabOrder_.push_back(c.get());
}

Control* Form::Find(const std::wstring& name, int index) const {
    for (const auto& c : controls_)
        if (c->Name() == name && c->Index() == index) return c.get();
    return nullptr;
}

void Form::SetFocusedControl(Control* control) { focused_ = control; }

Button* Form::DefaultButton() const {
    for (const auto& c : controls_)
        if (c->Kind() == ControlKind::Button && static_cast<Button&>(*c).isDefault)
            return static_cast<Button*>(c.get());
    return nullptr;
}

Button* Form::CancelButton() const {
    for (const auto& c : controls_)
        if (c->Kind() == ControlKind::Button && static_cast<Button&>(*c).isCancel)
            return static_cast<Button*>(c.get());
    return nullptr;
}

void Form::Load() {
    if (!loaded_) shell_.Load(*this);
}

void Form::Show() { shell_.Show(*this); }

void Form::ShowModal() { shell_.ShowModal(*this); }

void Form::Hide() { shell_.Hide(*this); }

void Form::Unload() {
    if (loaded_) shell_.Unload(*this);
}

std::vector<OptionButton*> Form::OptionGroup(const OptionButton& member) const {
    std::vector<OptionButton*> group;
    for (const auto& c : controls_)
        if (c->Kind() == ControlKind::OptionButton && c->container == member.container)
            group.push_back(static_cast<OptionButton*>(c.get()));
    return group;
}

int TwipsToPixels(int twips, int dpi) {
    return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / 1440.0));
}

}  // namespace ui
