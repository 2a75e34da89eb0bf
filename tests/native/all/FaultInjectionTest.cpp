// Every window over a system that refuses everything, any text typed in every box: each window
// loads, shows what each control is, every control and menu item works, and no error escapes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/FormCatalog.h"
#include "tests/fakes/World.h"

namespace {

// Nothing, plausible values, and hostile input.
const std::wstring kControl(L"a\tb\r\nc\x01\x7f\0z", 10), kLong(70000, L'9');
const std::wstring kTyped[] = {
    L"", L"10.0.0.1", L"1024", L"   ", L"Näme 漢字 ' \\ & | < > ^ % \" ; --", kControl, kLong};

// The user's n-th thing in the window: the n-th control of its tab order, then
// its menu items. False past the end.
bool Operate(ui::Form& form, std::size_t n) {
    const auto controls = form.TabOrder();
    if (n < controls.size()) {
        ui::Control* c = controls[n];
        if (auto* b = dynamic_cast<ui::Button*>(c)) b->UserClick();
        if (auto* k = dynamic_cast<ui::CheckBox*>(c)) k->UserClick();
        if (auto* o = dynamic_cast<ui::OptionButton*>(c)) o->UserClick();
        if (auto* l = dynamic_cast<ui::ListControl*>(c)) l->UserSelect(l->ListCount() - 1);
        if (auto* t = dynamic_cast<ui::TreeView*>(c); t && t->Count())
            t->UserToggleCheck(*t->Node(1));
        return true;
    }
    n -= controls.size();
    for (const ui::MenuItem& menu : form.menus)
        for (const ui::MenuItem& item : menu.items)
            if (n-- == 0) return form.GetShell().RunEvent(&form, item.Click), true;
    return false;
}

// What the user sees of a window before acting: the window, every label, button and box has a
// caption, every control is found by its own name and index and comes once in the tab order, and
// a box hides what is typed exactly when it takes a password.
void ExpectControlsSayWhatTheyAre(const ui::Form& form) {
    EXPECT_NE(form.Caption(), L"") << testing::PrintToString(form.Name());
    const auto order = form.TabOrder();
    for (const auto& c : form.Controls()) {
        SCOPED_TRACE(testing::PrintToString(form.Name() + L"." + c->Name()));
        EXPECT_EQ(form.Find(c->Name(), c->Index()), c.get());
        EXPECT_EQ(std::ranges::count(order, c.get()), 1);
        const bool captioned =
            dynamic_cast<ui::Button*>(c.get()) || dynamic_cast<ui::Label*>(c.get()) ||
            dynamic_cast<ui::CheckBox*>(c.get()) || dynamic_cast<ui::OptionButton*>(c.get());
        EXPECT_FALSE(captioned && c->Caption().empty());
        auto* box = dynamic_cast<ui::TextBox*>(c.get());
        EXPECT_EQ(box && box->passwordChar,
                  box && c->Name().find(L"Password") != std::wstring::npos);
    }
}

// In a fresh window: the text in every box, every box ticked, the n-th thing
// done, everything closed; keeps the messages shown. False past the end.
bool Exercise(const std::wstring& name, const std::wstring& text, std::size_t n,
              std::vector<fakes::ShownMessage>& shown) {
    fakes::World w;
    w.FailEverything();
    w.shell.onModal = [&text](ui::Form& modal) {
        ExpectControlsSayWhatTheyAre(modal);
        for (const auto& c : modal.Controls())
            if (auto* box = dynamic_cast<ui::TextBox*>(c.get())) box->UserSetText(text);
        if (ui::Button* ok = modal.DefaultButton()) ok->UserClick();
        if (modal.IsLoaded() && modal.IsVisible()) modal.Unload();
    };
    w.shell.onMessage = [&w](const fakes::ShownMessage& m) {  // restart questions: Yes
        if ((m.style & 0xF) == ui::kMbYesNo) w.shell.answers.push_front(ui::kIdYes);
    };
    std::shared_ptr<ui::Form> form;
    w.shell.RunEvent(nullptr, [&] { form = w.Open<ui::Form>(name); });
    if (form && n == 0) ExpectControlsSayWhatTheyAre(*form);
    for (ui::Control* c : form ? form->TabOrder() : std::vector<ui::Control*>()) {
        if (!form->IsLoaded()) break;
        if (auto* box = dynamic_cast<ui::TextBox*>(c)) box->UserSetText(text);
        if (auto* tick = dynamic_cast<ui::CheckBox*>(c); tick && !tick->Checked())
            tick->UserClick();
    }
    const bool done = form && form->IsLoaded() && Operate(*form, n);
    for (const auto& open : w.shell.LoadedForms()) w.shell.UserClose(*open);
    shown.insert(shown.end(), w.shell.messages.begin(), w.shell.messages.end());
    return done;
}

// Each window tells its failures in its own words: its own tests say which.
TEST(FaultInjection, EveryWindowOverASystemThatRefusesEverything) {
    const auto windows = app::FormCatalog::Default().Names();
    ASSERT_TRUE(std::ranges::count(windows, L"frmUI")) << "not the program's windows";
    for (const std::wstring& window : windows) {
        SCOPED_TRACE(testing::PrintToString(window));
        std::vector<fakes::ShownMessage> shown;
        for (const std::wstring& text : kTyped)
            for (std::size_t n = 0; Exercise(window, text, n, shown);) ++n;
        for (const auto& m : shown)
            EXPECT_TRUE(m.text.rfind(L"Unexpected error", 0) && m.text.rfind(L"Run-time error", 0))
                << "escaped: " << testing::PrintToString(m.text);
    }
}

}  // namespace
