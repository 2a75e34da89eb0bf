#pragma once
// A shell without windows for native tests: it records every message box and
// lets the test answer message boxes and play the user in modal windows.
#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/Shell.h"

namespace fakes {

struct ShownMessage {
    std::wstring text;
    int style = 0;
    std::wstring title;
};

class TestShell : public ui::Shell {
  public:
    std::vector<ShownMessage> messages;
    // Answers for the next message boxes, in order. When empty, OK boxes
    // answer kIdOk and Yes/No boxes answer kIdNo.
    std::deque<int> answers;
    // Called while a message box is "open" (before it is answered).
    std::function<void(const ShownMessage&)> onMessage;
    // Plays the user while a form is shown modally; it should hide or unload
    // the form (as OK, Cancel or the close box would).
    std::function<void(ui::Form&)> onModal;
    // Redraws asked for (a form's look changed, or it must show before a wait).
    int refreshes = 0;
    std::vector<int> sleeps;

    int MsgBox(const std::wstring& text, int style, const std::wstring& title) override {
        messages.push_back({text, style, title.empty() ? AppTitle() : title});
        if (onMessage) onMessage(messages.back());
        if (answers.empty()) return (style & 0xF) == ui::kMbYesNo ? ui::kIdNo : ui::kIdOk;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void Load(ui::Form& form) override {
        if (form.IsLoaded()) return;
        form.MarkLoaded(true);
        forms_.push_back(form.shared_from_this());
        form.Form_Load();
    }
    void Show(ui::Form& form) override {
        Load(form);
        if (!form.IsLoaded()) return;  // Form_Load unloaded it
        form.MarkVisible(true);
        form.Form_Activate();
    }
    void ShowModal(ui::Form& form) override {
        Show(form);
        if (form.IsLoaded() && form.IsVisible() && onModal) onModal(form);
    }
    void Hide(ui::Form& form) override { form.MarkVisible(false); }
    void Unload(ui::Form& form) override {
        if (!form.IsLoaded()) return;
        auto keep = form.shared_from_this();
        form.Form_Unload();
        form.MarkVisible(false);
        form.MarkLoaded(false);
        std::erase(forms_, keep);
    }
    void Refresh(ui::Form&) override { ++refreshes; }
    void DoEvents() override {}
    void Sleep(int milliseconds) override { sleeps.push_back(milliseconds); }
    std::vector<std::shared_ptr<ui::Form>> LoadedForms() const override { return forms_; }

    // The user closes the form with its close box.
    void UserClose(ui::Form& form) {
        RunEvent(&form, [this, &form] { Unload(form); });
    }

    // The last message's text, or empty.
    std::wstring LastMessage() const { return messages.empty() ? L"" : messages.back().text; }

  private:
    std::vector<std::shared_ptr<ui::Form>> forms_;
};

// Plays the user in a window from a short script, so that a table row can say
// what the user does in one text: "txtName=carol; chkDisabled; optDNS(1); cmdOK".
// "<control>=<text>" types the text into a text box or picks the entry with that
// text in a list; "<control>" clicks a button, check box or option button;
// "<control>(<i>)" is element i of a control array.
inline void Play(ui::Form& form, const std::wstring& steps) {
    std::wistringstream in(steps);
    for (std::wstring step; std::getline(in >> std::ws, step, L';');) {
        const auto eq = std::min(step.find(L'='), step.size());
        const auto paren = std::min(step.find(L'('), eq);
        const int index = paren < eq ? std::stoi(step.substr(paren + 1)) : -1;
        ui::Control* control = form.Find(step.substr(0, paren), index);
        const std::wstring text = step.substr(std::min(eq + 1, step.size()));
        auto* list = dynamic_cast<ui::ListControl*>(control);
        const auto entry =
            list ? std::ranges::find(list->Items(), text) - list->Items().begin() : 0;
        // A step that names no such control or entry is a broken test, not a user action.
        if (!control || (list && entry == list->ListCount()))
            throw std::invalid_argument("no control or entry for " +
                                        std::string(step.begin(), step.end()));
        if (auto* box = dynamic_cast<ui::TextBox*>(control)) box->UserSetText(text);
        if (auto* button = dynamic_cast<ui::Button*>(control)) button->UserClick();
        if (auto* check = dynamic_cast<ui::CheckBox*>(control)) check->UserClick();
        if (auto* option = dynamic_cast<ui::OptionButton*>(control)) option->UserClick();
        if (list) list->UserSelect(static_cast<int>(entry));
    }
}

// The texts separated by " | ".
inline std::wstring Join(const std::vector<std::wstring>& texts) {
    std::wstring joined;
    for (std::size_t i = 0; i < texts.size(); ++i) joined += (i ? L" | " : L"") + texts[i];
    return joined;
}

}  // namespace fakes
