#include "identity/frmCredentials.h"

#include "app/Services.h"
#include "ui/Shell.h"

namespace identity {

frmCredentials::frmCredentials(app::Services& services)
    : ui::Form(*services.shell, L"frmCredentials") {
    SetCaption(L"Login");
    borderStyle = ui::BorderStyle::FixedDialog;
    clientWidth = 3750;
    clientHeight = 1545;

    lblLabels[0] = &Add<ui::Label>(L"lblLabels", 0);
    lblLabels[0]->SetCaption(L"&User Name:");
    lblLabels[0]->bounds = {105, 150, 1080, 270};

    txtUserName = &Add<ui::TextBox>(L"txtUserName");
    txtUserName->bounds = {1290, 135, 2325, 315};

    lblLabels[1] = &Add<ui::Label>(L"lblLabels", 1);
    lblLabels[1]->SetCaption(L"&Password:");
    lblLabels[1]->bounds = {105, 540, 1080, 270};

    txtPassword = &Add<ui::TextBox>(L"txtPassword");
    txtPassword->passwordChar = L'*';
    txtPassword->bounds = {1290, 525, 2325, 315};

    cmdOK = &Add<ui::Button>(L"cmdOK");
    cmdOK->SetCaption(L"OK");
    cmdOK->isDefault = true;
    cmdOK->bounds = {495, 1020, 1140, 390};
    cmdOK->Click = [this] { cmdOK_Click(); };

    cmdCancel = &Add<ui::Button>(L"cmdCancel");
    cmdCancel->SetCaption(L"Cancel");
    cmdCancel->isCancel = true;
    cmdCancel->bounds = {2100, 1020, 1140, 390};
    cmdCancel->Click = [this] { cmdCancel_Click(); };

    SetTabOrder({lblLabels[0], txtUserName, lblLabels[1], txtPassword, cmdOK, cmdCancel});
}

void frmCredentials::cmdOK_Click() {
    rc_ = kResultOk;
    Hide();
}

void frmCredentials::cmdCancel_Click() {
    rc_ = kResultCancel;
    Hide();
}

}  // namespace identity
