#pragma once
// Forms with every kind of control, for the tests of the Win32 layer.
#include <functional>
#include <stdexcept>

#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/Shell.h"

namespace wine_ui {

class SampleForm : public ui::Form {
  public:
    explicit SampleForm(ui::Shell& shell) : Form(shell, L"frmSample") {
        SetCaption(L"Sample window");
        clientWidth = 6000;
        clientHeight = 4800;
        borderStyle = ui::BorderStyle::FixedDialog;

        lblName = &Add<ui::Label>(L"lblName");
        lblName->SetCaption(L"&Name:");
        lblName->bounds = {3100, 120, 900, 255};
        txtName = &Add<ui::TextBox>(L"txtName");
        txtName->bounds = {4000, 120, 1880, 315};
        txtName->maxLength = 10;
        txtName->Changed = [this] { ++nameChanges; };
        txtPassword = &Add<ui::TextBox>(L"txtPassword");
        txtPassword->bounds = {4000, 520, 1880, 315};
        txtPassword->passwordChar = L'*';

        fraOptions = &Add<ui::Frame>(L"fraOptions");
        fraOptions->SetCaption(L"&Options");
        fraOptions->bounds = {120, 120, 2800, 1300};
        optA = &Add<ui::OptionButton>(L"optChoice", 0);
        optA->SetCaption(L"Choice &A");
        optA->container = fraOptions;
        optA->bounds = {240, 400, 2400, 300};
        optA->Click = [this] { ++optAClicks; };
        optB = &Add<ui::OptionButton>(L"optChoice", 1);
        optB->SetCaption(L"Choice &B");
        optB->container = fraOptions;
        optB->bounds = {240, 800, 2400, 300};

        chkFlag = &Add<ui::CheckBox>(L"chkFlag");
        chkFlag->SetCaption(L"&Flag");
        chkFlag->bounds = {3100, 950, 2000, 300};
        chkFlag->Click = [this] { ++flagClicks; };

        linSeparator = &Add<ui::Line>(L"linSeparator");
        linSeparator->bounds = {120, 1500, 5760, 15};

        txtLog = &Add<ui::TextBox>(L"txtLog");
        txtLog->bounds = {120, 1600, 2800, 1000};
        txtLog->multiLine = true;
        txtLog->scrollBars = true;
        txtLog->SetBackColor(ui::Rgb(0, 0, 0));
        txtLog->SetForeColor(ui::Rgb(224, 224, 224));

        cmbKind = &Add<ui::ComboBox>(L"cmbKind");
        cmbKind->bounds = {3100, 1600, 2780, 315};
        cmbKind->Click = [this] { ++kindClicks; };
        lstItems = &Add<ui::ListBox>(L"lstItems");
        lstItems->bounds = {3100, 2000, 2780, 900};
        lstItems->Click = [this] { ++itemClicks; };

        tvwFeatures = &Add<ui::TreeView>(L"tvwFeatures");
        tvwFeatures->bounds = {120, 2700, 2800, 1500};
        tvwFeatures->NodeCheck = [this](ui::TreeNode&) { ++nodeChecks; };

        picLogo = &Add<ui::Picture>(L"picLogo");
        picLogo->bounds = {5400, 3000, 480, 480};
        picLogo->pictureId = 1;

        cmdPicture = &Add<ui::Button>(L"cmdPicture");
        cmdPicture->SetCaption(L"&Picture");
        cmdPicture->bounds = {3100, 3000, 1575, 735};
        cmdPicture->pictureId = 1;
        cmdPicture->toolTip = L"A button with a picture";
        cmdPicture->Click = [this] { ++pictureClicks; };

        cmdOK = &Add<ui::Button>(L"cmdOK");
        cmdOK->SetCaption(L"OK");
        cmdOK->bounds = {3100, 4300, 1215, 375};
        cmdOK->isDefault = true;
        cmdOK->Click = [this] {
            ++okClicks;
            if (onOK) onOK();
        };
        cmdCancel = &Add<ui::Button>(L"cmdCancel");
        cmdCancel->SetCaption(L"Cancel");
        cmdCancel->bounds = {4560, 4300, 1215, 375};
        cmdCancel->isCancel = true;
        cmdCancel->bold = true;
        cmdCancel->Click = [this] { ++cancelClicks; };

        // Deliberately not the creation order.
        SetTabOrder({fraOptions, optA, optB, lblName, txtName, txtPassword, chkFlag, cmbKind,
                     lstItems, txtLog, tvwFeatures, cmdPicture, cmdOK, cmdCancel});
    }

    void Form_Load() override { ++loads; }
    void Form_Activate() override { ++activations; }
    void Form_Unload() override {
        ++unloads;
        if (onUnload) onUnload();
    }

    ui::Label* lblName;
    ui::TextBox* txtName;
    ui::TextBox* txtPassword;
    ui::Frame* fraOptions;
    ui::OptionButton* optA;
    ui::OptionButton* optB;
    ui::CheckBox* chkFlag;
    ui::Line* linSeparator;
    ui::TextBox* txtLog;
    ui::ComboBox* cmbKind;
    ui::ListBox* lstItems;
    ui::TreeView* tvwFeatures;
    ui::Picture* picLogo;
    ui::Button* cmdPicture;
    ui::Button* cmdOK;
    ui::Button* cmdCancel;

    std::function<void()> onOK;
    std::function<void()> onUnload;
    int loads = 0, activations = 0, unloads = 0;
    int nameChanges = 0, optAClicks = 0, flagClicks = 0, kindClicks = 0, itemClicks = 0;
    int nodeChecks = 0, pictureClicks = 0, okClicks = 0, cancelClicks = 0;
};

}  // namespace wine_ui
