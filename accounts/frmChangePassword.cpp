#include "accounts/frmChangePassword.h"

#include <exception>
#include <functional>

#include "app/FormCatalog.h"
#include "app/Services.h"
#include "identity/mdlComputerName.h"
#include "sysaccess/IAutomation.h"
#include "sysaccess/VbError.h"
#include "ui/Shell.h"

namespace accounts {

namespace {

const wchar_t kNoObject[] = L"Object variable or With block variable not set";

}  // namespace

frmChangePassword::frmChangePassword(app::Services& services)
    : ui::Form(*services.shell, L"frmChangePassword"), services_(services) {
    borderStyle = ui::BorderStyle::FixedDialog;
    clientWidth = 4335;
    clientHeight = 1695;

    lblLabels[0] = &Add<ui::Label>(L"lblLabels", 0);
    lblLabels[0]->SetCaption(L"New password:");
    lblLabels[0]->bounds = {120, 195, 1800, 255};
    txtPassword = &Add<ui::TextBox>(L"txtPassword");
    txtPassword->passwordChar = L'*';
    txtPassword->bounds = {2010, 165, 2205, 315};

    lblLabels[1] = &Add<ui::Label>(L"lblLabels", 1);
    lblLabels[1]->SetCaption(L"Confirm password:");
    lblLabels[1]->bounds = {120, 600, 1800, 255};
    txtPasswordConfirm = &Add<ui::TextBox>(L"txtPasswordConfirm");
    txtPasswordConfirm->passwordChar = L'*';
    txtPasswordConfirm->bounds = {2010, 570, 2205, 315};

    cmdOK = &Add<ui::Button>(L"cmdOK");
    cmdOK->SetCaption(L"OK");
    cmdOK->isDefault = true;
    cmdOK->bounds = {1800, 1140, 1155, 375};
    cmdCancel = &Add<ui::Button>(L"cmdCancel");
    cmdCancel->SetCaption(L"Cancel");
    cmdCancel->isCancel = true;
    cmdCancel->bounds = {3060, 1140, 1155, 375};

    SetTabOrder({txtPassword, txtPasswordConfirm, cmdOK, cmdCancel, lblLabels[0], lblLabels[1]});

    cmdOK->Click = [this] { cmdOK_Click(); };
    cmdCancel->Click = [this] { cmdCancel_Click(); };
}

void frmChangePassword::ShowUserNameInCaption() { SetCaption(L"Set password for " + strUserName); }

// The opener names the account only after the object exists, so this first
// caption has no name yet; activation puts it in.
void frmChangePassword::Form_Initialize() { ShowUserNameInCaption(); }

void frmChangePassword::Form_Activate() { ShowUserNameInCaption(); }

void frmChangePassword::cmdOK_Click() {
    ui::Shell& shell = *services_.shell;
    const std::wstring password = txtPassword->Text();
    const std::wstring confirmation = txtPasswordConfirm->Text();

    if (password != confirmation) {
        shell.MsgBox(L"Passwords do not match! Password will not be changed.", ui::kMbOk);
        txtPasswordConfirm->SetText(L"");
        txtPassword->SetFocus();
        txtPassword->SelectAll();
        return;
    }

    // Each step runs even when an earlier one failed; the last failure is the
    // one reported.
    bool failed = false;
    std::wstring lastFailure;
    auto attempt = [&](const std::function<void()>& step) {
        try {
            step();
        } catch (const sysaccess::VbError& e) {
            failed = true;
            lastFailure = e.Description();
        } catch (const std::exception& e) {
            failed = true;
            const std::string what = e.what();
            lastFailure.assign(what.begin(), what.end());
        }
    };

    sysaccess::AutoObjectPtr account;
    attempt([&] {
        account = services_.objects->Bind(L"WinNT://" + identity::GetLocalComputerName(services_) +
                                          L"/" + strUserName + L", user");
    });
    auto requireAccount = [&] {
        if (!account) throw sysaccess::VbError(91, L"quillon", kNoObject);
        return account;
    };
    attempt([&] { requireAccount()->Call(L"SetPassword", {sysaccess::Variant(password)}); });
    attempt([&] { requireAccount()->Call(L"SetInfo", {}); });

    if (failed) {
        shell.MsgBox(L"Password change failed. The error was: " + lastFailure,
                     ui::kMbOk | ui::kMbIconCritical);
        return;
    }
    shell.MsgBox(L"Successfully changed password for " + strUserName, ui::kMbOk);
    Unload();
}

void frmChangePassword::cmdCancel_Click() { Unload(); }

static app::FormRegistration registration(L"frmChangePassword", [](app::Services& s) {
    return ui::NewForm<frmChangePassword>(s);
});

}  // namespace accounts
