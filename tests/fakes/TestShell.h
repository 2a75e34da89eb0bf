#pragma once
// A shell without windows for native tests: it records every message box and
// lets the test answer message boxes and play the user in modal windows.
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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

    // Loaded forms of type F, oldest first.
    template <typename F>
    std::vector<std::shared_ptr<F>> FormsOfType() const {
        std::vector<std::shared_ptr<F>> found;
        for (const auto& f : forms_)
            if (auto typed = std::dynamic_pointer_cast<F>(f)) found.push_back(typed);
        return found;
    }

  private:
    std::vector<std::shared_ptr<ui::Form>> forms_;
};

}  // namespace fakes
