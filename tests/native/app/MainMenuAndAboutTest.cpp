// What each main-menu button does, or tells when the system refuses; the About box's texts. (The
// tab order and OK closing the About box are checked on the real program end to end.)
#include <gtest/gtest.h>

#include <string>

#include "app/FormCatalog.h"
#include "app/Version.h"
#include "app/frmAbout.h"
#include "app/frmUI.h"
#include "tests/fakes/World.h"

namespace {

struct ButtonRow {
    const wchar_t *name, *toolTip;
    std::wstring does;  // what each click does: the dialog shown, or what the system is asked
    std::wstring refused = L"";  // the critical message when the system lets nothing start
};

const ButtonRow kButtons[] = {
    {L"cmdAccountMgmt", L"User and group management", L"frmAccountMgmt "},
    {L"cmdNetworking", L"IP settings", L"frmNetworkSettings "},
    {L"cmdDisplayResolution", L"Display resolution settings", L"frmDisplayResolution "},
    {L"cmdFirewall", L"Firewall settings", L"frmFirewall "},
    {L"Command1", L"Computer name and domain membership", L"frmComputerName "},
    {L"cmdTimeZone", L"Time zone settings", L"start control.exe timedate.cpl 1|",
     L"Could not start the time and date settings (\"control.exe timedate.cpl\")."},
    {L"cmdWinRM", L"Enables WinRM", L"frmWinRM "},
    {L"cmdRoles", L"Server features management", L"frmRoles "},
    {L"cmdRDP", L"Remote Desktop configuration", L"frmTS "},
    {L"cmdDCPROMO", L"Not implemented", L""},  // greyed: no click arrives
    {L"cmdShutdown", L"", L"exit 1 FFFFFFFF|start shutdown.exe -s -t 5 0|",
     L"Could not start \"shutdown.exe -s -t 5\".\r\nThe computer may not shut down."},
    {L"cmdRestart", L"", L"exit 2 FFFFFFFF|start shutdown.exe -r -t 5 0|",
     L"Could not start \"shutdown.exe -r -t 5\".\r\nThe computer may not restart."},
};

TEST(MainMenu, EachButtonActsAtOnceAndTellsWhatCouldNotStartAndExitClosesTheMenuAlone) {
    fakes::World w;
    auto menu = w.Open<app::frmUI>(L"frmUI");
    app::FormCatalog dialogs;  // every dialog as a plain window of its name
    for (const wchar_t* name :
         {L"frmAccountMgmt", L"frmNetworkSettings", L"frmFirewall", L"frmDisplayResolution",
          L"frmComputerName", L"frmWinRM", L"frmRoles", L"frmTS", L"frmDcpromo", L"frmAbout"})
        dialogs.Add(name,
                    [name](app::Services& s) { return ui::NewForm<ui::Form>(*s.shell, name); });
    w.services.catalog = &dialogs;
    // The dialogs shown and what the system was asked; then none of either.
    auto Done = [&] {
        std::wstring done;
        for (const auto& form : w.shell.LoadedForms())
            if (form != menu && form->IsVisible()) done += form->Name() + L" ", form->Unload();
        for (const auto& entry : w.system.journal) done += entry + L"|";
        w.system.journal.clear();
        return done;
    };
    for (const ButtonRow& row : kButtons) {
        SCOPED_TRACE(testing::PrintToString(row.name));
        ui::Button& b = dynamic_cast<ui::Button&>(*menu->Find(row.name));
        EXPECT_EQ(b.toolTip, row.toolTip);
        EXPECT_EQ(b.bold, b.toolTip.empty());  // the power buttons
        w.system.powerAccepts = false;  // as usual: the request is made without the privilege
        b.UserClick();
        b.UserClick();
        EXPECT_EQ(Done(), row.does + row.does);
        w.system.failEverything = true;
        b.UserClick();
        Done();
        w.system.failEverything = false;
        EXPECT_EQ(w.shell.LastMessage(), row.refused);
        for (const auto& m : w.shell.messages) EXPECT_EQ(m.style, ui::kMbIconCritical);
        w.shell.messages.clear();
    }
    for (int i = 0; i < 2; ++i) menu->menus.at(0).items.at(0).Click();  // Help, About
    menu->cmdDCPROMO_Click();  // what the greyed button would open
    menu->cmdWinRM->UserClick();
    EXPECT_EQ(Done(), L"frmAbout frmAbout frmDcpromo frmWinRM ");
    app::FormCatalog none;
    w.services.catalog = &none;
    menu->cmdFirewall->UserClick();
    EXPECT_EQ(w.shell.LastMessage(),
              L"This version of Quillon does not include the window frmFirewall.");
    w.services.catalog = &dialogs;
    menu->cmdWinRM->UserClick();
    menu->cmdExit->UserClick();  // the dialog stays open
    EXPECT_FALSE(menu->IsLoaded());
    EXPECT_EQ(Done(), L"frmWinRM ");
}

TEST(AboutBox, ShowsTitleVersionAndAuthor) {
    fakes::World w;
    auto about = w.Open<app::frmAbout>(L"frmAbout");
    ASSERT_TRUE(about && about->IsVisible());
    EXPECT_EQ(fakes::Join({about->Caption(), about->lblTitle->Caption(),
                           about->lblVersion->Caption(), about->lblDescription->Caption()}),
              L"About Quillon | Quillon | Version " QUILLON_VERSION_TEXT
              L" | Quillon by Varnholt\r\nWritten by Varnholt and the Quillon authors.\r\n\r\n"
              L"No web site: see the README and LICENSE files.");
    EXPECT_NE(about->lblDisclaimer->Caption().find(L"Quillon changes the configuration"),
              std::wstring::npos);
    EXPECT_EQ(about->DefaultButton(), about->cmdOK);  // Enter and Escape close it too
    EXPECT_EQ(about->CancelButton(), about->cmdOK);
}

}  // namespace
