#include "tests/fakes/TestShell.h"

#include <algorithm>

namespace fakes {

int TestShell::MsgBox(const std::wstring& text, int style, const std::wstring& title) {
    ShownMessage m{text, style, title.empty() ? AppTitle() : title};
    messages.push_back(m);
    if (onMessage) onMessage(m);
    if (!answers.empty()) {
        int a = answers.front();
        answers.pop_front();
        return a;
    }
    return (style & 0xF) == ui::kMbYesNo ? ui::kIdNo : ui::kIdOk;
}

void TestShell::Load(ui::Form& form) {
    if (form.IsLoaded()) return;
    form.MarkLoaded(true);
    forms_.push_back(form.shared_from_this());
    events.push_back(L"Load " + form.Name());
    form.Form_Load();
}

void TestShell::Show(ui::Form& form) {
    Load(form);
    if (!form.IsLoaded()) return;  // Form_Load unloaded it
    form.MarkVisible(true);
    events.push_back(L"Show " + form.Name());
    form.Form_Activate();
}

void TestShell::ShowModal(ui::Form& form) {
    Show(form);
    if (!form.IsLoaded() || !form.IsVisible()) return;
    events.push_back(L"Modal " + form.Name());
    if (onModal) onModal(form);
}

void TestShell::Hide(ui::Form& form) {
    form.MarkVisible(false);
    events.push_back(L"Hide " + form.Name());
}

void TestShell::Unload(ui::Form& form) {
    if (!form.IsLoaded()) return;
    auto keep = form.shared_from_this();
    events.push_back(L"Unload " + form.Name());
    form.Form_Unload();
    form.MarkVisible(false);
    form.MarkLoaded(false);
    forms_.erase(std::remove(forms_.begin(), forms_.end(), keep), forms_.end());
}

void TestShell::DoEvents() {
    ++doEventsCount;
    if (onDoEvents) onDoEvents();
}

void TestShell::Sleep(int milliseconds) { sleeps.push_back(milliseconds); }

std::vector<std::shared_ptr<ui::Form>> TestShell::LoadedForms() const { return forms_; }

void TestShell::UserClose(ui::Form& form) {
    RunEvent(&form, [this, &form] { Unload(form); });
}

void TestShell::UserActivate(ui::Form& form) {
    RunEvent(&form, [&form] { form.Form_Activate(); });
}

}  // namespace fakes
