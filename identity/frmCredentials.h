#pragma once
// The small prompt for a domain account's user name and password, shown
// modally while joining or leaving a domain (and renaming a domain member).
#include <cstdint>
#include <string>

#include "ui/Form.h"

namespace app {
struct Services;
}

namespace identity {

class frmCredentials : public ui::Form {
  public:
    // RC: 0 while open or after the close box, 1 after OK, 2 after Cancel.
    static constexpr std::int32_t kResultNone = 0;
    static constexpr std::int32_t kResultOk = 1;
    static constexpr std::int32_t kResultCancel = 2;

    explicit frmCredentials(app::Services& services);

    void SetFormCaption(const std::wstring& caption) { SetCaption(caption); }
    std::int32_t RC() const { return rc_; }
    std::wstring UserName() const { return txtUserName->Text(); }
    std::wstring Password() const { return txtPassword->Text(); }

    ui::Label* lblLabels[2] = {};
    ui::TextBox* txtUserName = nullptr;
    ui::TextBox* txtPassword = nullptr;
    ui::Button* cmdOK = nullptr;
    ui::Button* cmdCancel = nullptr;

    void cmdOK_Click();
    void cmdCancel_Click();

  private:
    std::int32_t rc_ = kResultNone;
};

}  // namespace identity
