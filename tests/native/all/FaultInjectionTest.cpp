// Every window over a system that refuses everything, with any text a user can
// type in every box: each window loads, every control and menu item works, a
// failure is told in the window's own words, and no error escapes a handler.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/FormCatalog.h"
#include "tests/fakes/World.h"

namespace {

// Nothing, plausible values, and hostile input.
const std::wstring kControl(L"a\tb\r\nc\x01\x7f\0z", 10), kLong(70000, L'9');
const std::wstring kTyped[] = {
    L"", L"10.0.0.1", L"1024", L"   ", L"Näme 漢字 ' \\ & | < > ^ % \" ; --", kControl, kLong};

// Each window, and the start of a message in which it tells of a failure.
const std::pair<const wchar_t*, const wchar_t*> kWindows[] = {
    {L"frmUI", L"Could not start \"shutdown.exe -r -t 5\""},
    {L"frmAbout", L""},
    {L"frmWinRM", L"Failed to enable WinRM"},
    {L"frmFirewall", L"10 of 10 selected firewall rule groups could not be enabled."},
    {L"frmTS", L"The Remote Desktop settings were not saved"},
    {L"frmDisplayResolution", L"No display adapter settings were found in the registry"},
    {L"frmRoles", L""},
    {L"frmDcpromo", L"\"cmd /k\" could not be run: An error occured while launching the process"},
    {L"frmComputerName", L"Failed to change the computer name. The error was: Access is denied."},
    {L"frmNetworkSettings", L"Failed to read the network settings. Access is denied."},
    {L"frmAccountMgmt", L""},
    {L"frmNewUser", L"Failed to create user account. The error was: Access is denied."},
    {L"frmChangePassword", L"Password change failed. The error was: "},
};

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

// In a fresh window: the text in every box, every box ticked, the n-th thing
// done, everything closed; keeps the messages shown. False past the end.
bool Exercise(const std::wstring& name, const std::wstring& text, std::size_t n,
              std::vector<fakes::ShownMessage>& shown) {
    fakes::World w;
    w.FailEverything();
    w.shell.onModal = [&text](ui::Form& modal) {
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

TEST(FaultInjection, EveryWindowOverASystemThatRefusesEverything) {
    std::set<std::wstring> uncovered;
    for (const auto& name : app::FormCatalog::Default().Names()) uncovered.insert(name);
    for (const auto& [window, told] : kWindows) {
        SCOPED_TRACE(testing::PrintToString(window));
        EXPECT_EQ(uncovered.erase(window), 1u) << "not a window of the program";
        std::vector<fakes::ShownMessage> shown;
        for (const std::wstring& text : kTyped)
            for (std::size_t n = 0; Exercise(window, text, n, shown);) ++n;
        bool toldIt = false;
        for (const auto& m : shown) {
            toldIt = toldIt || m.text.rfind(told, 0) == 0;
            EXPECT_TRUE(m.text.rfind(L"Unexpected error", 0) && m.text.rfind(L"Run-time error", 0))
                << "escaped: " << testing::PrintToString(m.text);
        }
        EXPECT_TRUE(toldIt || !*told) << "never told " << testing::PrintToString(told);
    }
    for (const auto& name : uncovered)
        ADD_FAILURE() << "not exercised: " << testing::PrintToString(name);
}

}  // namespace
