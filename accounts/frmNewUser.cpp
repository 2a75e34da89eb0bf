#include "accounts/frmNewUser.h"

#include <exception>

#include "accounts/frmAccountMgmt.h"
#include "app/FormCatalog.h"
#include "app/Services.h"
#include "identity/mdlComputerName.h"
#include "sysaccess/IAutomation.h"
#include "sysaccess/VbError.h"
#include "ui/Shell.h"

namespace accounts {

namespace {

using sysaccess::Variant;

constexpr int kCritical = ui::kMbOk | ui::kMbIconCritical;

// A late-bound call that should have given an object and did not fails the
// way late binding does.
sysaccess::AutoObjectPtr RequireObject(const Variant& value) {
    if (value.IsObject() && value.Object()) return value.Object();
    throw sysaccess::VbError(91, L"quillon", L"Object variable or With block variable not set");
}

// Binds a moniker or directory path; a binder that gives nothing fails too.
sysaccess::AutoObjectPtr BindObject(app::Services& services, const std::wstring& displayName) {
    return RequireObject(Variant(services.objects->Bind(displayName)));
}

ui::Label& AddLabel(ui::Form& form, const wchar_t* name, const wchar_t* caption, int top) {
    auto& label = form.Add<ui::Label>(name);
    label.SetCaption(caption);
    label.bounds = {120, top + 30, 1800, 255};
    return label;
}

ui::TextBox& AddTextBox(ui::Form& form, const wchar_t* name, int top, bool password) {
    auto& box = form.Add<ui::TextBox>(name);
    box.bounds = {1980, top, 2955, 315};
    if (password) box.passwordChar = L'*';
    return box;
}

ui::CheckBox& AddCheckBox(ui::Form& form, const wchar_t* name, const wchar_t* caption, int top) {
    auto& box = form.Add<ui::CheckBox>(name);
    box.SetCaption(caption);
    box.bounds = {120, top, 4815, 255};
    return box;
}

}  // namespace

std::wstring EscapeWqlString(const std::wstring& text) {
    std::wstring escaped;
    escaped.reserve(text.size());
    for (wchar_t c : text) {
        if (c == L'\\' || c == L'\'') escaped += L'\\';
        escaped += c;
    }
    return escaped;
}

frmNewUser::frmNewUser(app::Services& services)
    : ui::Form(*services.shell, L"frmNewUser"), services_(services) {
    SetCaption(L"New User");
    borderStyle = ui::BorderStyle::FixedDialog;
    clientWidth = 5055;
    clientHeight = 4290;

    Label1 = &AddLabel(*this, L"Label1", L"User name:", 165);
    txtUserName = &AddTextBox(*this, L"txtUserName", 165, false);
    Label2 = &AddLabel(*this, L"Label2", L"Full Name:", 570);
    txtFullName = &AddTextBox(*this, L"txtFullName", 570, false);
    Label3 = &AddLabel(*this, L"Label3", L"Description:", 975);
    txtDescription = &AddTextBox(*this, L"txtDescription", 975, false);

    Line1 = &Add<ui::Line>(L"Line1");
    Line1->bounds = {120, 1440, 4815, 0};

    Label4 = &AddLabel(*this, L"Label4", L"Password:", 1590);
    txtPassword = &AddTextBox(*this, L"txtPassword", 1590, true);
    Label5 = &AddLabel(*this, L"Label5", L"Confirm password:", 1995);
    txtConfirmPassword = &AddTextBox(*this, L"txtConfirmPassword", 1995, true);

    chkMustChangePwd =
        &AddCheckBox(*this, L"chkMustChangePwd", L"User must change password at next logon", 2490);
    chkCanNotChangePwd =
        &AddCheckBox(*this, L"chkCanNotChangePwd", L"User cannot change password", 2805);
    chkPwdNeverExpires =
        &AddCheckBox(*this, L"chkPwdNeverExpires", L"Password never expires", 3120);
    chkDisabled = &AddCheckBox(*this, L"chkDisabled", L"Account is disabled", 3435);

    cmdCreate = &Add<ui::Button>(L"cmdCreate");
    cmdCreate->SetCaption(L"Create");
    cmdCreate->bounds = {2415, 3810, 1215, 375};
    cmdClose = &Add<ui::Button>(L"cmdClose");
    cmdClose->SetCaption(L"Close");
    cmdClose->bounds = {3720, 3810, 1215, 375};

    // Initial states are set before the handlers are wired, so that building
    // the window runs no option logic.
    chkMustChangePwd->SetValue(1);
    chkCanNotChangePwd->SetEnabled(false);
    chkPwdNeverExpires->SetEnabled(false);

    chkMustChangePwd->Click = [this] { UpdateAccountOptions(); };
    chkCanNotChangePwd->Click = [this] { UpdateAccountOptions(); };
    chkPwdNeverExpires->Click = [this] { UpdateAccountOptions(); };
    chkDisabled->Click = [this] { UpdateAccountOptions(); };
    cmdCreate->Click = [this] { cmdCreate_Click(); };
    cmdClose->Click = [this] { cmdClose_Click(); };
}

void frmNewUser::Form_Activate() { UpdateAccountOptions(); }

void frmNewUser::Form_Unload() {
    // The opener may have closed (and been dropped) before this window.
    if (auto parent = objParent.lock(); parent && parent->IsLoaded()) parent->EnumerateLocalUsers();
}

void frmNewUser::UpdateAccountOptions() {
    if (chkMustChangePwd->Value() == 1) {
        chkCanNotChangePwd->SetValue(0);
        chkCanNotChangePwd->SetEnabled(false);
        chkPwdNeverExpires->SetValue(0);
        chkPwdNeverExpires->SetEnabled(false);
        return;
    }
    chkCanNotChangePwd->SetEnabled(true);
    chkPwdNeverExpires->SetEnabled(true);
    if (chkCanNotChangePwd->Value() == 1 || chkPwdNeverExpires->Value() == 1) {
        chkMustChangePwd->SetEnabled(false);
        chkMustChangePwd->SetValue(0);
    } else {
        chkMustChangePwd->SetEnabled(true);
    }
}

bool frmNewUser::UserExists(const std::wstring& strAccountName) {
    try {
        auto account =
            services_.objects->Bind(L"WinNT://" + identity::GetLocalComputerName(services_) + L"/" +
                                    strAccountName + L",user");
        return account != nullptr;
    } catch (...) {
        // Whatever the cause, an account that cannot be bound is taken as missing.
        return false;
    }
}

void frmNewUser::SetUserAccountProperty(const std::wstring& userName, const std::wstring& property,
                                        std::int16_t value) {
    auto service = BindObject(
        services_, L"winmgmts:\\\\" + identity::GetLocalComputerName(services_) + L"\\root\\cimv2");
    const std::wstring query =
        L"Select * From Win32_UserAccount Where LocalAccount=True and Name='" +
        EscapeWqlString(userName) + L"'";
    auto accounts = RequireObject(service->Call(L"ExecQuery", {Variant(query)}));
    for (const auto& account : accounts->Items()) {
        if (!account) continue;
        account->Put(property, Variant(value));
        account->Call(L"Put_", {});
    }
}

void frmNewUser::SetAccountDisabled(const std::wstring& userName) {
    SetUserAccountProperty(userName, L"Disabled", std::int16_t{-1});
}

void frmNewUser::SetPasswordNeverExpires(const std::wstring& userName) {
    SetUserAccountProperty(userName, L"PasswordExpires", std::int16_t{0});
}

void frmNewUser::SetCannotChangePassword(const std::wstring& userName) {
    SetUserAccountProperty(userName, L"PasswordChangeable", std::int16_t{0});
}

void frmNewUser::CreateAccount(const std::wstring& userName, const std::wstring& fullName,
                               const std::wstring& description, const std::wstring& password) {
    auto container = BindObject(services_, L"WinNT://" + identity::GetLocalComputerName(services_));
    auto user = RequireObject(container->Call(L"Create", {Variant(L"user"), Variant(userName)}));
    if (!fullName.empty()) user->Put(L"FullName", Variant(fullName));
    if (!description.empty()) user->Put(L"Description", Variant(description));
    user->Call(L"SetPassword", {Variant(password)});
    user->Call(L"SetInfo", {});
    // The account exists from here on; options failing later leave it as it is.
    if (chkDisabled->Value() == 1) SetAccountDisabled(userName);
    if (chkPwdNeverExpires->Value() == 1) SetPasswordNeverExpires(userName);
    if (chkMustChangePwd->Value() == 1) {
        user->Call(L"Put", {Variant(L"PasswordExpired"), Variant(std::int32_t{1})});
        user->Call(L"SetInfo", {});
    }
    if (chkCanNotChangePwd->Value() == 1) SetCannotChangePassword(userName);
}

void frmNewUser::cmdCreate_Click() {
    const std::wstring userName = txtUserName->Text();
    const std::wstring fullName = txtFullName->Text();
    const std::wstring description = txtDescription->Text();
    const std::wstring password = txtPassword->Text();
    const std::wstring confirmation = txtConfirmPassword->Text();
    ui::Shell& shell = *services_.shell;

    if (userName.empty()) {
        shell.MsgBox(L"Username is missing", kCritical);
        return;
    }
    if (password.empty()) {
        shell.MsgBox(L"Creation of accounts with empty password is not supported", kCritical);
        return;
    }
    if (password != confirmation) {
        shell.MsgBox(L"Passwords do not match. Aborting.", kCritical);
        return;
    }
    if (UserExists(userName)) {
        shell.MsgBox(L"Account with the specified user name already exists.", kCritical);
        return;
    }

    std::wstring failure;
    try {
        CreateAccount(userName, fullName, description, password);
        shell.MsgBox(L"Successfully created user " + userName, ui::kMbOk);
        Unload();
        return;
    } catch (const sysaccess::VbError& e) {
        failure = e.Description();
    } catch (const std::exception& e) {
        const std::string what = e.what();
        failure.assign(what.begin(), what.end());
    }
    shell.MsgBox(L"Failed to create user account. The error was: " + failure, kCritical);
}

void frmNewUser::cmdClose_Click() { Unload(); }

static app::FormRegistration registration(L"frmNewUser", [](app::Services& s) {
    return ui::NewForm<frmNewUser>(s);
});

}  // namespace accounts
