#include <gtest/gtest.h>

#include "app/FormCatalog.h"
#include "app/frmAbout.h"
#include "app/frmUI.h"
#include "res/resource.h"
#include "tests/native/app/AppFakes.h"

namespace {

using app::frmUI;
using app_test::AppServices;

struct MainMenu : ::testing::Test {
    AppServices env;
    std::shared_ptr<frmUI> form;

    void SetUp() override {
        form = ui::NewForm<frmUI>(env.services);
        form->Show();
    }
};

struct TaskButtonSpec {
    const wchar_t* name;
    const wchar_t* caption;
    const wchar_t* toolTip;
    int left;
    int top;
    int icon;
    const wchar_t* opens;  // nullptr: the time and date applet
};

const TaskButtonSpec kTaskButtons[] = {
    {L"cmdAccountMgmt", L"&Users&&Groups", L"User and group management", 2160, 120, IDI_USERS,
     L"frmAccountMgmt"},
    {L"cmdNetworking", L"&Networking", L"IP settings", 4200, 120, IDI_NETWORK,
     L"frmNetworkSettings"},
    {L"cmdDisplayResolution", L"&Display", L"Display resolution settings", 120, 960, IDI_DISPLAY,
     L"frmDisplayResolution"},
    {L"cmdFirewall", L"&Firewall", L"Firewall settings", 2160, 960, IDI_FIREWALL, L"frmFirewall"},
    {L"Command1", L"&Computer Name", L"Computer name and domain membership", 4200, 960,
     IDI_COMPUTER, L"frmComputerName"},
    {L"cmdTimeZone", L"&Time Zone", L"Time zone settings", 120, 1800, IDI_TIMEZONE, nullptr},
    {L"cmdWinRM", L"&WinRM", L"Enables WinRM", 2160, 1800, IDI_WINRM, L"frmWinRM"},
    {L"cmdRoles", L"&Features", L"Server features management", 4200, 1800, IDI_FEATURES,
     L"frmRoles"},
    {L"cmdRDP", L"&RDP", L"Remote Desktop configuration", 120, 2640, IDI_RDP, L"frmTS"},
    {L"cmdDCPROMO", L"&DCPROMO", L"Not implemented", 4200, 2640, IDI_DCPROMO, L"frmDcpromo"},
};

ui::Button& ButtonNamed(const ui::Form& form, const std::wstring& name) {
    ui::Control* c = form.Find(name);
    if (!c || c->Kind() != ui::ControlKind::Button) throw std::runtime_error("no such button");
    return static_cast<ui::Button&>(*c);
}

TEST_F(MainMenu, WindowCaptionSizeAndFont) {
    EXPECT_EQ(form->Caption(), L"Quillon by Varnholt");
    EXPECT_EQ(form->clientWidth, 5970);
    EXPECT_EQ(form->clientHeight, 4695);
    EXPECT_EQ(form->fontName, L"Verdana");
    EXPECT_DOUBLE_EQ(form->fontSize, 8.25);
    EXPECT_EQ(form->Name(), L"frmUI");
    EXPECT_EQ(form->iconId, IDI_APP);
    // Thirteen buttons and nothing else: the two empty cells hold no control.
    EXPECT_EQ(form->Controls().size(), 13u);
}

TEST_F(MainMenu, TaskButtonsLayoutCaptionsToolTipsAndIcons) {
    for (const auto& spec : kTaskButtons) {
        SCOPED_TRACE(testing::Message()
                     << "button " << std::string(spec.name, spec.name + wcslen(spec.name)));
        ui::Button& b = ButtonNamed(*form, spec.name);
        EXPECT_EQ(b.Caption(), spec.caption);
        EXPECT_EQ(b.toolTip, spec.toolTip);
        EXPECT_EQ(b.bounds.left, spec.left);
        EXPECT_EQ(b.bounds.top, spec.top);
        EXPECT_EQ(b.bounds.width, 1575);
        EXPECT_EQ(b.bounds.height, 735);
        EXPECT_EQ(b.pictureId, spec.icon);
        EXPECT_FALSE(b.bold);
        EXPECT_EQ(b.Enabled(), std::wstring(spec.name) != L"cmdDCPROMO");
        EXPECT_TRUE(b.Visible());
    }
    // Cells (1, 1) and (4, 2) stay empty.
    for (const auto& c : form->Controls()) {
        EXPECT_FALSE(c->bounds.left == 120 && c->bounds.top == 120);
        EXPECT_FALSE(c->bounds.left == 2160 && c->bounds.top == 2640);
    }
}

TEST_F(MainMenu, PowerButtonsAreBoldWithoutToolTips) {
    const struct {
        const wchar_t* name;
        const wchar_t* caption;
        int left;
        int icon;
    } power[] = {{L"cmdShutdown", L"Shutdown", 600, IDI_SHUTDOWN},
                 {L"cmdRestart", L"Reboot", 2400, IDI_REBOOT},
                 {L"cmdExit", L"Exit", 4200, IDI_EXIT}};
    for (const auto& p : power) {
        ui::Button& b = ButtonNamed(*form, p.name);
        EXPECT_EQ(b.Caption(), p.caption);
        EXPECT_EQ(b.bounds.left, p.left);
        EXPECT_EQ(b.bounds.top, 3720);
        EXPECT_EQ(b.bounds.width, 1095);
        EXPECT_EQ(b.bounds.height, 735);
        EXPECT_TRUE(b.bold);
        EXPECT_TRUE(b.toolTip.empty());
        EXPECT_EQ(b.pictureId, p.icon);
        EXPECT_TRUE(b.Enabled());
        EXPECT_FALSE(b.isDefault);
        EXPECT_FALSE(b.isCancel);
    }
}

TEST_F(MainMenu, TabOrderGoesDownEachColumn) {
    std::vector<std::wstring> names;
    for (ui::Control* c : form->TabOrder()) names.push_back(c->Name());
    EXPECT_EQ(names, (std::vector<std::wstring>{
                         L"cmdDisplayResolution", L"cmdTimeZone", L"cmdRDP", L"cmdAccountMgmt",
                         L"cmdFirewall", L"cmdWinRM", L"cmdNetworking", L"Command1", L"cmdRoles",
                         L"cmdDCPROMO", L"cmdShutdown", L"cmdRestart", L"cmdExit"}));
}

TEST_F(MainMenu, HelpMenuHoldsAbout) {
    ASSERT_EQ(form->menus.size(), 1u);
    EXPECT_EQ(form->menus[0].name, L"Help");
    EXPECT_EQ(form->menus[0].caption, L"Help");
    ASSERT_EQ(form->menus[0].items.size(), 1u);
    EXPECT_EQ(form->menus[0].items[0].name, L"Help_About");
    EXPECT_EQ(form->menus[0].items[0].caption, L"About");
    EXPECT_TRUE(form->menus[0].items[0].items.empty());
}

TEST_F(MainMenu, EachTaskButtonOpensAFreshModelessDialogPerClick) {
    for (const auto& spec : kTaskButtons)
        if (spec.opens) env.RegisterProbe(spec.opens);
    for (const auto& spec : kTaskButtons) {
        if (!spec.opens || std::wstring(spec.name) == L"cmdDCPROMO") continue;
        SCOPED_TRACE(testing::Message()
                     << "button " << std::string(spec.name, spec.name + wcslen(spec.name)));
        ButtonNamed(*form, spec.name).UserClick();
        ButtonNamed(*form, spec.name).UserClick();
        const auto opened = env.Probes(spec.opens);
        ASSERT_EQ(opened.size(), 2u);
        EXPECT_NE(opened[0], opened[1]);
        for (const auto& dialog : opened) {
            EXPECT_TRUE(dialog->IsLoaded());
            EXPECT_TRUE(dialog->IsVisible());
            EXPECT_EQ(dialog->loads, 1);
        }
    }
    EXPECT_TRUE(env.shell.messages.empty());
    EXPECT_TRUE(env.log.empty());  // nothing started, nothing requested
    EXPECT_TRUE(form->IsVisible());
}

TEST_F(MainMenu, DisabledDcpromoButtonDeliversNoClickButItsHandlerOpensTheConsole) {
    env.RegisterProbe(L"frmDcpromo");
    form->cmdDCPROMO->UserClick();
    EXPECT_TRUE(env.Probes(L"frmDcpromo").empty());
    form->cmdDCPROMO_Click();
    EXPECT_EQ(env.Probes(L"frmDcpromo").size(), 1u);
}

TEST_F(MainMenu, AboutItemOpensTheAboutBoxEachTime) {
    env.services.catalog = &app::FormCatalog::Default();
    form->menus[0].items[0].Click();
    form->menus[0].items[0].Click();
    const auto boxes = env.shell.FormsOfType<app::frmAbout>();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(boxes[0]->IsVisible());
    EXPECT_EQ(boxes[1]->Caption(), L"About Quillon");
}

TEST_F(MainMenu, WindowMissingFromTheBuildIsReportedNotOpened) {
    form->cmdFirewall->UserClick();
    ASSERT_EQ(env.shell.messages.size(), 1u);
    EXPECT_NE(env.shell.messages[0].text.find(L"frmFirewall"), std::wstring::npos);
    EXPECT_EQ(env.shell.messages[0].style, ui::kMbOk);
    EXPECT_EQ(env.shell.messages[0].title, L"Quillon");
    EXPECT_EQ(env.shell.LoadedForms().size(), 1u);
}

TEST_F(MainMenu, TimeZoneStartsTheAppletWithANormalWindow) {
    form->cmdTimeZone->UserClick();
    EXPECT_EQ(env.log, (std::vector<std::wstring>{L"start [control.exe timedate.cpl] style 1"}));
    EXPECT_TRUE(env.shell.messages.empty());
    EXPECT_EQ(env.shell.LoadedForms().size(), 1u);
}

TEST_F(MainMenu, TimeZoneAppletThatCannotStartIsReported) {
    env.launcher.startSucceeds = false;
    form->cmdTimeZone->UserClick();
    ASSERT_EQ(env.shell.messages.size(), 1u);
    EXPECT_NE(env.shell.messages[0].text.find(L"control.exe timedate.cpl"), std::wstring::npos);
    EXPECT_EQ(env.shell.messages[0].style, ui::kMbIconCritical);
}

TEST_F(MainMenu, PowerButtonsActAtOnceWithoutAQuestion) {
    form->cmdRestart->UserClick();
    form->cmdShutdown->UserClick();
    EXPECT_EQ(env.log,
              (std::vector<std::wstring>{
                  L"ExitWindowsEx 2 0xFFFFFFFF", L"start [shutdown.exe -r -t 5] style 0",
                  L"ExitWindowsEx 1 0xFFFFFFFF", L"start [shutdown.exe -s -t 5] style 0"}));
    EXPECT_TRUE(env.shell.messages.empty());
    EXPECT_TRUE(form->IsLoaded());
}

TEST_F(MainMenu, ExitClosesOnlyTheMainWindow) {
    env.RegisterProbe(L"frmWinRM");
    form->cmdWinRM->UserClick();
    auto dialog = env.Probes(L"frmWinRM").at(0);
    form->cmdExit->UserClick();
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_TRUE(dialog->IsLoaded());
    EXPECT_TRUE(dialog->IsVisible());
    EXPECT_TRUE(env.log.empty());
    EXPECT_EQ(env.shell.LoadedForms().size(), 1u);
}

TEST(MainMenuCatalog, MainMenuAndAboutAreRegistered) {
    const auto& catalog = app::FormCatalog::Default();
    EXPECT_TRUE(catalog.Has(L"frmUI"));
    EXPECT_TRUE(catalog.Has(L"frmAbout"));
    AppServices env;
    auto form = catalog.Create(L"frmUI", env.services);
    ASSERT_NE(form, nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<frmUI>(form), nullptr);
}

}  // namespace
