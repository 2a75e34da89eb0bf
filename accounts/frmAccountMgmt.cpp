#include "accounts/frmAccountMgmt.h"

#include <exception>
#include <memory>

#include "accounts/INetApi.h"
#include "accounts/frmChangePassword.h"
#include "accounts/frmNewUser.h"
#include "accounts/mdlLocalAccMgmt.h"
#include "app/FormCatalog.h"
#include "app/Services.h"
#include "identity/mdlComputerName.h"
#include "res/resource.h"
#include "sysaccess/IAutomation.h"
#include "sysaccess/VbError.h"
#include "ui/Shell.h"

namespace accounts {

namespace {

ui::Button& AddPictureButton(ui::Form& form, const wchar_t* name, const wchar_t* caption,
                             int pictureId, int left) {
    auto& button = form.Add<ui::Button>(name);
    button.SetCaption(caption);
    button.pictureId = pictureId;
    button.bounds = {left, 3615, 1335, 1095};
    return button;
}

}  // namespace

frmAccountMgmt::frmAccountMgmt(app::Services& services)
    : ui::Form(*services.shell, L"frmAccountMgmt"), services_(services) {
    SetCaption(L"Account Management");
    clientWidth = 7455;
    clientHeight = 4830;
    iconId = IDI_USERS;

    Frame1 = &Add<ui::Frame>(L"Frame1");
    Frame1->SetCaption(L"Group Management");
    Frame1->bounds = {120, 120, 7215, 3375};

    lstUsers = &Add<ui::ListBox>(L"lstUsers");
    lstUsers->container = Frame1;
    lstUsers->bounds = {240, 360, 2895, 2985};

    cmdAdd = &Add<ui::Button>(L"cmdAdd");
    cmdAdd->container = Frame1;
    cmdAdd->SetCaption(L">>");
    cmdAdd->bounds = {3255, 1320, 615, 375};

    cmdRemove = &Add<ui::Button>(L"cmdRemove");
    cmdRemove->container = Frame1;
    cmdRemove->SetCaption(L"<<");
    cmdRemove->bounds = {3255, 1815, 615, 375};

    cmbGroups = &Add<ui::ComboBox>(L"cmbGroups");
    cmbGroups->container = Frame1;
    cmbGroups->sorted = false;  // the group opened first is the API's first
    cmbGroups->bounds = {3990, 360, 3225, 315};

    lstGroupMembers = &Add<ui::ListBox>(L"lstGroupMembers");
    lstGroupMembers->container = Frame1;
    lstGroupMembers->bounds = {3990, 780, 3225, 2565};

    cmdDeleteUser =
        &AddPictureButton(*this, L"cmdDeleteUser", L"&Delete User", IDI_DELETEUSER, 120);
    cmdChangePassword =
        &AddPictureButton(*this, L"cmdChangePassword", L"&Password", IDI_PASSWORD, 2080);
    cmdNewUser = &AddPictureButton(*this, L"cmdNewUser", L"&New User", IDI_NEWUSER, 4040);
    cmdHome = &AddPictureButton(*this, L"cmdHome", L"&Main Menu", IDI_HOME, 6000);

    cmbGroups->Click = [this] { cmbGroups_Click(); };
    cmdAdd->Click = [this] { cmdAdd_Click(); };
    cmdRemove->Click = [this] { cmdRemove_Click(); };
    cmdDeleteUser->Click = [this] { cmdDeleteUser_Click(); };
    cmdChangePassword->Click = [this] { cmdChangePassword_Click(); };
    cmdNewUser->Click = [this] { cmdNewUser_Click(); };
    cmdHome->Click = [this] { cmdHome_Click(); };
}

void frmAccountMgmt::Form_Load() {
    EnumerateLocalUsers();
    EnumerateLocalGroups();
}

void frmAccountMgmt::EnumerateLocalUsers() {
    lstUsers->Clear();
    std::int32_t count = 0;
    for (const auto& name : GetLocalUsers(services_, L"", count)) lstUsers->AddItem(name);
}

void frmAccountMgmt::EnumerateLocalGroups() {
    std::int32_t count = 0;
    const auto names = GetLocalGroups(services_, L"", count);
    cmbGroups->Clear();
    for (const auto& name : names) cmbGroups->AddItem(name);
    // Selecting raises the box's Click, which lists the group's members.
    if (cmbGroups->ListCount() > 0) cmbGroups->SetListIndex(0);
}

void frmAccountMgmt::EnumerateGroupMembers() {
    const std::wstring group = cmbGroups->Text();
    lstGroupMembers->Clear();
    std::int32_t count = 0;
    for (const auto& member : GetLocalGroupMembers(services_, L"", group, count))
        lstGroupMembers->AddItem(member);
}

void frmAccountMgmt::cmbGroups_Click() { EnumerateGroupMembers(); }

void frmAccountMgmt::ReportMembershipFailure(const std::wstring& apiName, std::uint32_t status) {
    if (status == kNerrSuccess || status == kErrorMemberInAlias) return;
    services_.shell->MsgBox(L"Error calling " + apiName + L": " + std::to_wstring(status),
                            ui::kMbOk);
}

void frmAccountMgmt::cmdAdd_Click() {
    const std::wstring user = lstUsers->Text();
    const std::wstring group = cmbGroups->Text();
    if (user.empty() || group.empty()) return;
    std::uint32_t status = kNerrSuccess;
    AddLocalGroupMember(services_, user, group, &status);
    ReportMembershipFailure(L"NetLocalGroupAddMembers", status);
    EnumerateGroupMembers();
}

void frmAccountMgmt::cmdRemove_Click() {
    const std::wstring member = lstGroupMembers->Text();
    const std::wstring group = cmbGroups->Text();
    if (member.empty() || group.empty()) return;
    std::uint32_t status = kNerrSuccess;
    RemoveLocalGroupMember(services_, member, group, &status);
    ReportMembershipFailure(L"NetLocalGroupDelMembers", status);
    EnumerateGroupMembers();
}

void frmAccountMgmt::cmdDeleteUser_Click() {
    const std::wstring user = lstUsers->Text();
    if (user.empty()) return;
    std::wstring failure;
    try {
        auto container =
            services_.objects->Bind(L"WinNT://" + identity::GetLocalComputerName(services_));
        container->Call(L"Delete", {sysaccess::Variant(L"user"), sysaccess::Variant(user)});
        EnumerateLocalUsers();
        EnumerateGroupMembers();
        return;
    } catch (const sysaccess::VbError& e) {
        failure = e.Description();
    } catch (const std::exception& e) {
        const std::string what = e.what();
        failure.assign(what.begin(), what.end());
    }
    services_.shell->MsgBox(L"Failed to delete the user account. The error was: " + failure,
                            ui::kMbOk);
}

void frmAccountMgmt::cmdChangePassword_Click() {
    const std::wstring user = lstUsers->Text();
    if (user.empty()) return;
    auto window = ui::NewForm<frmChangePassword>(services_);
    window->strUserName = user;
    window->Load();
    window->Show();
}

void frmAccountMgmt::cmdNewUser_Click() {
    auto window = ui::NewForm<frmNewUser>(services_);
    window->Load();
    window->objParent = std::static_pointer_cast<frmAccountMgmt>(shared_from_this());
    window->Show();
}

void frmAccountMgmt::cmdHome_Click() { Unload(); }

static app::FormRegistration registration(L"frmAccountMgmt", [](app::Services& s) {
    return ui::NewForm<frmAccountMgmt>(s);
});

}  // namespace accounts
