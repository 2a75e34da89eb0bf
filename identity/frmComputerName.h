#pragma once
// The Computer Name dialog: rename the computer, or change its membership to
// a domain or a workgroup; one kind of change per OK. Editing the name locks
// the membership controls so that a rename never travels with a membership
// change.
#include <string>

#include "ui/Form.h"

namespace app {
struct Services;
}

namespace identity {

class frmComputerName : public ui::Form {
  public:
    explicit frmComputerName(app::Services& services);

    void Form_Load() override;

    ui::Label* Label1 = nullptr;
    ui::TextBox* txtComputerName = nullptr;
    ui::Frame* Frame1 = nullptr;
    ui::OptionButton* optDomainMembership[2] = {};
    ui::TextBox* txtDomainName = nullptr;
    ui::TextBox* txtWorkgroupName = nullptr;
    ui::Button* cmdOK = nullptr;
    ui::Button* cmdCancel = nullptr;

    void txtComputerName_Change();
    void optDomainMembership_Click(int index);
    void cmdOK_Click();
    void cmdCancel_Click();

    // State read when the dialog loaded (and NameChanged, following the name box).
    bool NameChanged() const { return nameChanged_; }
    const std::wstring& CurrentComputerName() const { return currentComputerName_; }
    const std::wstring& CurrentMembershipName() const { return currentMembershipName_; }
    bool IsDomainMember() const { return isDomainMember_; }

  private:
    void LoadIdentity();
    void ShowMembership();
    void UpdateMembershipControls();
    void OfferRestart(const std::wstring& message);

    app::Services& services_;
    bool nameChanged_ = false;
    std::wstring currentComputerName_;
    std::wstring currentMembershipName_;
    bool isDomainMember_ = false;
};

}  // namespace identity
