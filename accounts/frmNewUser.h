#pragma once
// "New User": creates one local account through the directory provider and
// applies the chosen account options. Whenever it closes, the Account
// Management window that opened it reloads its user list.
#include <cstdint>
#include <memory>
#include <string>

#include "ui/Controls.h"
#include "ui/Form.h"

namespace app {
struct Services;
}

namespace accounts {

class frmAccountMgmt;

// The name as a WQL string literal's content: a backslash before every
// backslash and apostrophe, so that no name can end the literal early.
std::wstring EscapeWqlString(const std::wstring& text);

class frmNewUser : public ui::Form {
  public:
    explicit frmNewUser(app::Services& services);

    // The window that opened this one; it may close first.
    std::weak_ptr<frmAccountMgmt> objParent;

    ui::Label* Label1 = nullptr;
    ui::TextBox* txtUserName = nullptr;
    ui::Label* Label2 = nullptr;
    ui::TextBox* txtFullName = nullptr;
    ui::Label* Label3 = nullptr;
    ui::TextBox* txtDescription = nullptr;
    ui::Line* Line1 = nullptr;
    ui::Label* Label4 = nullptr;
    ui::TextBox* txtPassword = nullptr;
    ui::Label* Label5 = nullptr;
    ui::TextBox* txtConfirmPassword = nullptr;
    ui::CheckBox* chkMustChangePwd = nullptr;
    ui::CheckBox* chkCanNotChangePwd = nullptr;
    ui::CheckBox* chkPwdNeverExpires = nullptr;
    ui::CheckBox* chkDisabled = nullptr;
    ui::Button* cmdCreate = nullptr;
    ui::Button* cmdClose = nullptr;

    // True when the directory binds the account; any failure counts as missing.
    bool UserExists(const std::wstring& strAccountName);

    void Form_Activate() override;
    void Form_Unload() override;

  private:
    void UpdateAccountOptions();
    void SetAccountDisabled(const std::wstring& userName);
    void SetPasswordNeverExpires(const std::wstring& userName);
    void SetCannotChangePassword(const std::wstring& userName);
    // Writes the 16-bit value to the property of every local Win32_UserAccount
    // of that name and stores each.
    void SetUserAccountProperty(const std::wstring& userName, const std::wstring& property,
                                std::int16_t value);
    // Creates the account and applies the options; failures propagate.
    void CreateAccount(const std::wstring& userName, const std::wstring& fullName,
                       const std::wstring& description, const std::wstring& password);

    void cmdCreate_Click();
    void cmdClose_Click();

    app::Services& services_;
};

}  // namespace accounts
