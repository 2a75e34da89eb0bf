#include "tests/fakes/Steps.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

#include "ui/Controls.h"

namespace fakes {

namespace {

// A script that names no such control or entry is a broken test, not a user action.
[[noreturn]] void Broken(const char* what, const std::wstring& step) {
    throw std::invalid_argument(what + std::string(step.begin(), step.end()));
}

}  // namespace

void Play(ui::Form& form, const std::wstring& steps) {
    std::wistringstream in(steps);
    for (std::wstring step; std::getline(in >> std::ws, step, L';');) {
        const auto eq = std::min(step.find(L'='), step.size());
        const auto paren = std::min(step.find(L'('), eq);
        const int index = paren < eq ? std::stoi(step.substr(paren + 1)) : -1;
        ui::Control* control = form.Find(step.substr(0, paren), index);
        if (!control) Broken("no control for ", step);
        const std::wstring text = step.substr(std::min(eq + 1, step.size()));
        if (auto* box = dynamic_cast<ui::TextBox*>(control)) box->UserSetText(text);
        if (auto* button = dynamic_cast<ui::Button*>(control)) button->UserClick();
        if (auto* check = dynamic_cast<ui::CheckBox*>(control)) check->UserClick();
        if (auto* option = dynamic_cast<ui::OptionButton*>(control)) option->UserClick();
        if (auto* list = dynamic_cast<ui::ListControl*>(control)) {
            const auto& items = list->Items();
            const auto at = std::find(items.begin(), items.end(), text);
            if (at == items.end()) Broken("no entry for ", step);
            list->UserSelect(static_cast<int>(at - items.begin()));
        }
    }
}

std::wstring Join(const std::vector<std::wstring>& texts) {
    std::wstring joined;
    for (std::size_t i = 0; i < texts.size(); ++i) joined += (i ? L" | " : L"") + texts[i];
    return joined;
}

}  // namespace fakes
