#include "app/frmAbout.h"

#include "app/FormCatalog.h"
#include "app/Version.h"
#include "res/resource.h"
#include "ui/Shell.h"

namespace app {

namespace {

const FormRegistration registration(L"frmAbout",
                                    [](Services& s) { return ui::NewForm<frmAbout>(s); });

constexpr wchar_t kAuthor[] = L"Varnholt";

}  // namespace

std::wstring VersionText() {
    return L"Version " + std::to_wstring(QUILLON_VERSION_MAJOR) + L"." +
           std::to_wstring(QUILLON_VERSION_MINOR) + L"." + std::to_wstring(QUILLON_VERSION_PATCH);
}

frmAbout::frmAbout(Services& services) : ui::Form(*services.shell, L"frmAbout") {
    clientWidth = 6210;
    clientHeight = 3600;
    borderStyle = ui::BorderStyle::FixedDialog;
    iconId = IDI_APP;

    picIcon = &Add<ui::Picture>(L"picIcon");
    picIcon->bounds = {240, 240, 480, 480};
    picIcon->pictureId = IDI_APP;
    picIcon->tabStop = false;

    lblTitle = &Add<ui::Label>(L"lblTitle");
    lblTitle->bounds = {1050, 240, 4920, 285};
    lblTitle->bold = true;
    lblVersion = &Add<ui::Label>(L"lblVersion");
    lblVersion->bounds = {1050, 540, 4920, 255};
    lblDescription = &Add<ui::Label>(L"lblDescription");
    lblDescription->bounds = {1050, 855, 4920, 840};

    Line1[0] = &Add<ui::Line>(L"Line1", 0);
    Line1[0]->bounds = {240, 1830, 5730, 0};

    lblDisclaimer = &Add<ui::Label>(L"lblDisclaimer");
    lblDisclaimer->bounds = {240, 1950, 5730, 900};

    Line1[1] = &Add<ui::Line>(L"Line1", 1);
    Line1[1]->bounds = {240, 2970, 5730, 0};

    cmdOK = &Add<ui::Button>(L"cmdOK");
    cmdOK->SetCaption(L"OK");
    cmdOK->bounds = {4755, 3090, 1215, 375};
    cmdOK->isDefault = true;
    cmdOK->isCancel = true;
    cmdOK->Click = [this] { cmdOK_Click(); };

    for (auto* label : {lblTitle, lblVersion, lblDescription, lblDisclaimer})
        label->tabStop = false;
    SetTabOrder({cmdOK});
}

void frmAbout::Form_Load() {
    const std::wstring title = GetShell().AppTitle();
    SetCaption(L"About " + title);
    lblVersion->SetCaption(VersionText());
    lblTitle->SetCaption(title);
    lblDescription->SetCaption(title + L" by " + kAuthor + L"\r\n" + L"Written by " + kAuthor +
                               L" and the " + title + L" authors.\r\n" + L"\r\n" +
                               L"No web site: see the README and LICENSE files.");
    lblDisclaimer->SetCaption(
        L"Free software under the MIT License, provided \"as is\", without warranty of any "
        L"kind.\r\n"
        L"Warning: " +
        title + L" changes the configuration of this computer. Use it at your own risk.");
}

void frmAbout::cmdOK_Click() { Unload(); }

}  // namespace app
