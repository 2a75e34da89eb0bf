#pragma once
// A form with every kind of control, for the tests of the Win32 layer; every
// event it raises is counted under the control's name ("cmdOK", "Load", ...).
#include <functional>
#include <map>
#include <string>

#include "ui/Controls.h"
#include "ui/Form.h"

namespace wine_ui {

class SampleForm : public ui::Form {
  public:
    explicit SampleForm(ui::Shell& shell) : Form(shell, L"frmSample") {
        clientWidth = 6000, clientHeight = 4800, borderStyle = ui::BorderStyle::FixedDialog;
        Place(txtName, L"", {4000, 120, 1880, 315}), txtName->maxLength = 10;
        Place(txtPassword, L"", {4000, 520, 1880, 315}), txtPassword->passwordChar = L'*';
        Place(fraOptions, L"&Options", {120, 120, 2800, 1300});
        Place(optA, L"Choice &A", {240, 400, 2400, 300}), optA->container = fraOptions;
        Place(optB, L"Choice &B", {240, 800, 2400, 300}), optB->container = fraOptions;
        Place(chkFlag, L"&Flag", {3100, 950, 2000, 300});
        Place(txtLog, L"", {120, 1600, 2800, 1000}), txtLog->multiLine = txtLog->scrollBars = true;
        txtLog->SetBackColor(ui::Rgb(0, 0, 0)), txtLog->SetForeColor(ui::Rgb(224, 224, 224));
        Place(cmbKind, L"", {3100, 1600, 2780, 315});
        Place(lstItems, L"", {3100, 2000, 2780, 900});
        Place(tvwFeatures, L"", {120, 2700, 2800, 1500});
        Place(cmdPicture, L"&Picture", {3100, 3000, 1575, 735}), cmdPicture->pictureId = 1;
        cmdPicture->toolTip = L"A button with a picture", cmdPicture->bold = true;
        Place(cmdOK, L"OK", {3100, 4300, 1215, 375}), cmdOK->isDefault = true;
        Place(cmdCancel, L"Cancel", {4560, 4300, 1215, 375}), cmdCancel->isCancel = true;
        for (auto* b : {cmdPicture, cmdOK, cmdCancel}) b->Click = Counts(b->Name());
        for (auto* o : {optA, optB}) o->Click = Counts(o->Name());
        chkFlag->Click = Counts(L"chkFlag"), txtName->Changed = Counts(L"txtName");
        cmbKind->Click = Counts(L"cmbKind"), lstItems->Click = Counts(L"lstItems");
        tvwFeatures->NodeCheck = [this](ui::TreeNode&) { ++events[L"tvwFeatures"]; };
        SetTabOrder(  // deliberately not the creation order
            {fraOptions, optA, optB, txtName, txtPassword, chkFlag, cmbKind, lstItems, txtLog,
             tvwFeatures, cmdPicture, cmdOK, cmdCancel});
    }

    void Form_Load() override { ++events[L"Load"]; }
    void Form_Activate() override { ++events[L"Activate"]; }
    void Form_Unload() override { ++events[L"Unload"], onUnload ? onUnload() : void(); }

    ui::TextBox* txtName = &Add<ui::TextBox>(L"txtName");
    ui::TextBox* txtPassword = &Add<ui::TextBox>(L"txtPassword");
    ui::Frame* fraOptions = &Add<ui::Frame>(L"fraOptions");
    ui::OptionButton* optA = &Add<ui::OptionButton>(L"optA");
    ui::OptionButton* optB = &Add<ui::OptionButton>(L"optB");
    ui::CheckBox* chkFlag = &Add<ui::CheckBox>(L"chkFlag");
    ui::TextBox* txtLog = &Add<ui::TextBox>(L"txtLog");
    ui::ComboBox* cmbKind = &Add<ui::ComboBox>(L"cmbKind");
    ui::ListBox* lstItems = &Add<ui::ListBox>(L"lstItems");
    ui::TreeView* tvwFeatures = &Add<ui::TreeView>(L"tvwFeatures");
    ui::Button* cmdPicture = &Add<ui::Button>(L"cmdPicture");
    ui::Button* cmdOK = &Add<ui::Button>(L"cmdOK");
    ui::Button* cmdCancel = &Add<ui::Button>(L"cmdCancel");

    std::map<std::wstring, int> events;
    std::wstring Events() const {  // "Load1 cmdOK2 ..."
        std::wstring all;
        for (const auto& [name, count] : events) all += name + std::to_wstring(count) + L" ";
        return all;
    }
    std::function<void()> onUnload;

  private:
    template <typename C>
    void Place(C* control, const wchar_t* caption, ui::Bounds bounds) {
        control->SetCaption(caption), control->bounds = bounds;
    }
    std::function<void()> Counts(const std::wstring& name) {
        return [this, name] { ++events[name]; };
    }
};

}  // namespace wine_ui
