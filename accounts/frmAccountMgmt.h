#pragma once
// "Account Management": the local users, the local groups and the members of
// the selected group; adds users to groups, removes members, deletes users
// and opens the New User and Set Password windows.
#include <cstdint>
#include <string>

#include "ui/Controls.h"
#include "ui/Form.h"

namespace app {
struct Services;
}

namespace accounts {

class frmAccountMgmt : public ui::Form {
  public:
    explicit frmAccountMgmt(app::Services& services);

    ui::Frame* Frame1 = nullptr;
    ui::ListBox* lstUsers = nullptr;
    ui::Button* cmdAdd = nullptr;
    ui::Button* cmdRemove = nullptr;
    ui::ComboBox* cmbGroups = nullptr;
    ui::ListBox* lstGroupMembers = nullptr;
    ui::Button* cmdDeleteUser = nullptr;
    ui::Button* cmdChangePassword = nullptr;
    ui::Button* cmdNewUser = nullptr;
    ui::Button* cmdHome = nullptr;

    // Reloads the user list; New User windows call it on their opener.
    void EnumerateLocalUsers();

    void Form_Load() override;

  private:
    void EnumerateLocalGroups();
    void EnumerateGroupMembers();

    void cmbGroups_Click();
    void cmdAdd_Click();
    void cmdRemove_Click();
    void cmdDeleteUser_Click();
    void cmdChangePassword_Click();
    void cmdNewUser_Click();
    void cmdHome_Click();

    // A failed membership change is told with the API's status; an account
    // that already is a member is not a failure worth telling.
    void ReportMembershipFailure(const std::wstring& apiName, std::uint32_t status);

    app::Services& services_;
};

}  // namespace accounts
