#pragma once
// "Set password for <user>": sets a new password for one local account
// through the directory provider. The old password is not asked for.
#include <string>

#include "ui/Controls.h"
#include "ui/Form.h"

namespace app {
struct Services;
}

namespace accounts {

class frmChangePassword : public ui::Form {
  public:
    explicit frmChangePassword(app::Services& services);

    // The account whose password is set; the opener assigns it before loading.
    std::wstring strUserName;

    ui::Label* lblLabels[2] = {nullptr, nullptr};
    ui::TextBox* txtPassword = nullptr;
    ui::TextBox* txtPasswordConfirm = nullptr;
    ui::Button* cmdOK = nullptr;
    ui::Button* cmdCancel = nullptr;

    void Form_Initialize() override;
    void Form_Activate() override;

  private:
    void ShowUserNameInCaption();
    void cmdOK_Click();
    void cmdCancel_Click();

    app::Services& services_;
};

}  // namespace accounts
