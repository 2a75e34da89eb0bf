#include "identity/frmComputerName.h"

#include "app/FormCatalog.h"
#include "app/Services.h"
#include "app/mdlComputerReboot.h"
#include "identity/mdlComputerName.h"
#include "sysaccess/TextCase.h"
#include "ui/Shell.h"

namespace identity {

namespace {

// Names of computers, domains and workgroups match as the system matches them,
// whatever letters they are written in.
bool SameName(const std::wstring& a, const std::wstring& b) {
    return sysaccess::EqualsIgnoreCase(a, b);
}

void SetBoxState(ui::TextBox& box, bool enabled) {
    box.SetEnabled(enabled);
    box.SetBackColor(enabled ? ui::kColorWindowBackground : ui::kColorInactiveBorder);
}

static app::FormRegistration registration(L"frmComputerName", [](app::Services& services) {
    return ui::NewForm<frmComputerName>(services);
});

}  // namespace

frmComputerName::frmComputerName(app::Services& services)
    : ui::Form(*services.shell, L"frmComputerName"), services_(services) {
    SetCaption(L"Computer Name Changes");
    clientWidth = 4335;
    clientHeight = 3885;

    Label1 = &Add<ui::Label>(L"Label1");
    Label1->SetCaption(L"Computer name:");
    Label1->bounds = {240, 240, 3855, 255};

    txtComputerName = &Add<ui::TextBox>(L"txtComputerName");
    txtComputerName->bounds = {240, 540, 3855, 315};
    txtComputerName->Changed = [this] { txtComputerName_Change(); };

    Frame1 = &Add<ui::Frame>(L"Frame1");
    Frame1->SetCaption(L"Member of:");
    Frame1->bounds = {240, 1080, 3855, 1920};

    for (int i = 0; i < 2; ++i) {
        optDomainMembership[i] = &Add<ui::OptionButton>(L"optDomainMembership", i);
        optDomainMembership[i]->container = Frame1;
        optDomainMembership[i]->Click = [this, i] { optDomainMembership_Click(i); };
    }
    optDomainMembership[0]->SetCaption(L"Domain:");
    optDomainMembership[0]->bounds = {480, 1440, 3375, 255};
    optDomainMembership[1]->SetCaption(L"Workgroup:");
    optDomainMembership[1]->bounds = {480, 2160, 3375, 255};

    txtDomainName = &Add<ui::TextBox>(L"txtDomainName");
    txtDomainName->container = Frame1;
    txtDomainName->bounds = {720, 1740, 3135, 315};

    txtWorkgroupName = &Add<ui::TextBox>(L"txtWorkgroupName");
    txtWorkgroupName->container = Frame1;
    txtWorkgroupName->bounds = {720, 2460, 3135, 315};

    cmdOK = &Add<ui::Button>(L"cmdOK");
    cmdOK->SetCaption(L"&OK");
    cmdOK->bounds = {1440, 3300, 1215, 375};
    cmdOK->Click = [this] { cmdOK_Click(); };

    cmdCancel = &Add<ui::Button>(L"cmdCancel");
    cmdCancel->SetCaption(L"&Cancel");
    cmdCancel->bounds = {2880, 3300, 1215, 375};
    cmdCancel->Click = [this] { cmdCancel_Click(); };

    SetTabOrder({Label1, txtComputerName, Frame1, optDomainMembership[0], optDomainMembership[1],
                 txtDomainName, txtWorkgroupName, cmdOK, cmdCancel});
}

void frmComputerName::Form_Load() {
    LoadIdentity();
    txtComputerName->SetText(GetLocalComputerName(services_));
    nameChanged_ = false;
    ShowMembership();
}

void frmComputerName::LoadIdentity() {
    const std::wstring dnsDomain = GetDnsDomainName(services_);
    const std::wstring joinName = GetJoinInformation(services_, isDomainMember_);
    currentComputerName_ = GetLocalComputerName(services_);
    currentMembershipName_ = dnsDomain.empty() ? joinName : dnsDomain;
}

void frmComputerName::ShowMembership() {
    bool member = false;
    const std::wstring joinName = GetJoinInformation(services_, member);
    if (member) {
        optDomainMembership[0]->SetValue(true);
        const std::wstring dnsDomain = GetDnsDomainName(services_);
        txtDomainName->SetText(dnsDomain.empty() ? joinName : dnsDomain);
    } else {
        optDomainMembership[1]->SetValue(true);
        txtWorkgroupName->SetText(joinName);
    }
}

void frmComputerName::optDomainMembership_Click(int /*index*/) {
    UpdateMembershipControls();
    if (optDomainMembership[0]->Value()) {
        txtWorkgroupName->SetText(L"");
        txtDomainName->SetText(isDomainMember_ ? currentMembershipName_ : L"");
    } else if (optDomainMembership[1]->Value()) {
        txtDomainName->SetText(L"");
        txtWorkgroupName->SetText(isDomainMember_ ? L"" : currentMembershipName_);
    }
}

void frmComputerName::txtComputerName_Change() {
    nameChanged_ = !SameName(txtComputerName->Text(), currentComputerName_);
    ShowMembership();
    UpdateMembershipControls();
}

void frmComputerName::UpdateMembershipControls() {
    Frame1->SetEnabled(!nameChanged_);
    if (optDomainMembership[0]->Value()) {
        SetBoxState(*txtWorkgroupName, false);
        SetBoxState(*txtDomainName, !nameChanged_);
    } else if (optDomainMembership[1]->Value()) {
        SetBoxState(*txtDomainName, false);
        SetBoxState(*txtWorkgroupName, !nameChanged_);
    }
}

void frmComputerName::cmdOK_Click() {
    const bool domainSelected = optDomainMembership[0]->Value();
    const bool workgroupSelected = optDomainMembership[1]->Value();
    const std::wstring domain = txtDomainName->Text();
    const std::wstring workgroup = txtWorkgroupName->Text();
    const std::wstring joinedDomain =
        L"The computer has been successfully joined to domain " + domain + L".";
    const std::wstring joinedWorkgroup =
        L"The computer has been successfully joined to workgroup " + workgroup + L".";

    if (nameChanged_) {
        if (RenameComputerAsDialog(services_, txtComputerName->Text(), isDomainMember_))
            OfferRestart(L"Computer name successfully changed.");
        return;
    }
    if (isDomainMember_) {
        if (domainSelected && !SameName(domain, currentMembershipName_)) {
            if (JoinDomain(services_, domain)) OfferRestart(joinedDomain);
        } else if (workgroupSelected && !SameName(workgroup, currentMembershipName_)) {
            if (JoinWorkgroup(services_, workgroup, true)) OfferRestart(joinedWorkgroup);
        }
        return;
    }
    if (domainSelected) {
        if (JoinDomain(services_, domain)) OfferRestart(joinedDomain);
    } else if (workgroupSelected && !SameName(workgroup, currentMembershipName_)) {
        if (JoinWorkgroup(services_, workgroup, false)) OfferRestart(joinedWorkgroup);
    }
}

void frmComputerName::OfferRestart(const std::wstring& message) {
    const std::wstring text = message +
                              L" In order for the change to take effect the computer requires a "
                              L"restart. \r\n\r\nIf you want to restart, click Yes, otherwise "
                              L"click No";
    if (services_.shell->MsgBox(text, ui::kMbYesNo, L"Reboot the computer now ?") == ui::kIdYes)
        app::RebootComputer(services_);
}

void frmComputerName::cmdCancel_Click() { Unload(); }

}  // namespace identity
