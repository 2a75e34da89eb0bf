#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/FormCatalog.h"
#include "app/Services.h"
#include "features/frmRoles.h"
#include "tests/native/features/FeaturesFakes.h"
#include "tests/support/FakeRegistry.h"
#include "tests/support/TestShell.h"

namespace {

using features::frmRoles;
using features_test::ScriptedRunner;

const wchar_t kVersionKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

std::wstring Lines(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (const auto& l : lines) text += l + L"\r\n";
    return text;
}

// Records what the log showed each time the window was redrawn.
struct RedrawShell : testing_support::TestShell {
    std::vector<std::wstring> logAtRedraw;
    std::function<std::wstring()> readLog;
    void Refresh(ui::Form& form) override {
        (void)form;
        logAtRedraw.push_back(readLog ? readLog() : L"");
    }
};

struct Roles : ::testing::Test {
    RedrawShell shell;
    testing_support::FakeRegistry registry;
    ScriptedRunner runner;
    app::Services services;
    std::shared_ptr<frmRoles> form;

    Roles() {
        services.shell = &shell;
        services.runner = &runner;
        services.registry = &registry;
        services.catalog = &app::FormCatalog::Default();
        registry.SetString(sysaccess::kHkeyLocalMachine, kVersionKey, L"BuildLabEx",
                           L"6001.18000.x86fre.longhorn_rtm.080118-1840");
    }

    void Open(const std::vector<std::wstring>& listing) {
        runner.listings = {Lines(listing)};
        form = ui::NewForm<frmRoles>(services);
        form->Load();
        form->Show();
    }

    ui::TreeNode& NodeNamed(const std::wstring& name) {
        for (int i = 1; i <= form->tvwFeatures->Count(); ++i)
            if (form->tvwFeatures->Node(i)->Text() == name) return *form->tvwFeatures->Node(i);
        throw std::runtime_error("no such node");
    }

    void Toggle(const std::wstring& name) { form->tvwFeatures->UserToggleCheck(NodeNamed(name)); }

    std::vector<std::wstring> CommandsAfterLoad() const {
        auto lines = runner.CommandLines();
        return {lines.begin() + 1, lines.end()};
    }

    std::vector<bool> Checks() {
        std::vector<bool> checks;
        for (int i = 1; i <= form->tvwFeatures->Count(); ++i)
            checks.push_back(form->tvwFeatures->Node(i)->Checked());
        return checks;
    }
};

TEST_F(Roles, WindowHasItsControlsAndIsRegistered) {
    Open({});
    EXPECT_EQ(form->Caption(), L"Server Features and Roles");
    EXPECT_EQ(form->fontName, L"Verdana");
    EXPECT_EQ(form->Frame1->Caption(), L"Status");
    EXPECT_EQ(form->txtResults->container, form->Frame1);
    EXPECT_TRUE(form->txtResults->multiLine);
    EXPECT_TRUE(form->txtResults->scrollBars);
    EXPECT_EQ(form->txtResults->BackColor(), ui::kColorButtonFace);
    EXPECT_EQ(form->txtResults->Text(), L"");
    EXPECT_EQ(form->cmdUpdate->Caption(), L"&Configure");
    EXPECT_EQ(form->cmdExit->Caption(), L"&Close");
    EXPECT_TRUE(form->tvwFeatures->checkBoxes);
    EXPECT_TRUE(app::FormCatalog::Default().Has(L"frmRoles"));
    auto opened = app::OpenModeless(services, L"frmRoles");
    ASSERT_TRUE(opened);
    EXPECT_TRUE(opened->IsVisible());
}

TEST_F(Roles, LoadRunsTheToolMatchingTheBuild) {
    struct Case {
        std::wstring build;  // empty: no value at all
        const wchar_t* tool;
    };
    const std::vector<Case> cases = {
        {L"6001.18000.x86fre.longhorn_rtm.080118-1840", L"oclist.exe"},
        {L"6001.18000.amd64fre.longhorn_rtm.080118-1840", L"oclist64.exe"},
        {L"6001.18000.AMD64FRE.longhorn", L"oclist64.exe"},
        {L"6064.18000.x86fre", L"oclist64.exe"},  // "64" anywhere counts
        {L"", L"oclist.exe"},
    };
    for (const auto& c : cases) {
        testing_support::FakeRegistry fresh;
        services.registry = &fresh;
        if (!c.build.empty())
            fresh.SetString(sysaccess::kHkeyLocalMachine, kVersionKey, L"BuildLabEx", c.build);
        runner.calls.clear();
        Open({L"Installed:A"});
        ASSERT_EQ(runner.calls.size(), 1u);
        EXPECT_EQ(runner.calls[0].commandLine, c.tool)
            << std::string(c.build.begin(), c.build.end());
        EXPECT_TRUE(runner.calls[0].captureStdOut);
        EXPECT_TRUE(runner.calls[0].captureStdErr);
        EXPECT_TRUE(runner.calls[0].oemToAnsi);
        EXPECT_EQ(form->tvwFeatures->Count(), 1);
        EXPECT_EQ(fresh.OpenHandles(), 0);
    }
}

TEST_F(Roles, UnreadableBuildFallsBackTo32BitTool) {
    registry.FailEverything(5);
    Open({});
    EXPECT_EQ(runner.CommandLines(), std::vector<std::wstring>{L"oclist.exe"});
    services.registry = nullptr;
    runner.calls.clear();
    Open({});
    EXPECT_EQ(runner.CommandLines(), std::vector<std::wstring>{L"oclist.exe"});
}

TEST_F(Roles, CheckingAGrandchildChecksItsAncestorsOnly) {
    Open({L"Not Installed:A", L"|Not Installed:B", L"||Not Installed:C", L"|||Not Installed:Leaf",
          L"|Not Installed:Sibling", L"Not Installed:Other"});
    Toggle(L"C");
    EXPECT_EQ(Checks(), (std::vector<bool>{true, true, true, false, false, false}));
    // Unchecking a node leaves its ancestors checked.
    Toggle(L"C");
    EXPECT_EQ(Checks(), (std::vector<bool>{true, true, false, false, false, false}));
}

TEST_F(Roles, UncheckingARootUnchecksItsSubtreeOnly) {
    Open({L"Installed:A", L"|Installed:B", L"||Installed:C", L"|Installed:D", L"Installed:E",
          L"|Installed:F"});
    Toggle(L"A");
    EXPECT_EQ(Checks(), (std::vector<bool>{false, false, false, false, true, true}));
    // Checking it again checks nothing below it.
    Toggle(L"A");
    EXPECT_EQ(Checks(), (std::vector<bool>{true, false, false, false, true, true}));
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(Roles, ConfigureWalksTheTreeInPreOrder) {
    Open({L"Installed:P", L"|Installed:Q", L"|Not Installed:R", L"Not Installed:S",
          L"|Not Installed:T"});
    Toggle(L"Q");  // unchecked by the user
    Toggle(L"R");  // checked
    Toggle(L"T");  // checked, which checks S as well
    ASSERT_TRUE(NodeNamed(L"S").Checked());
    form->cmdUpdate->UserClick();
    EXPECT_EQ(CommandsAfterLoad(),
              (std::vector<std::wstring>{L"cmd /c ocsetup Q /uninstall", L"cmd /c ocsetup R",
                                         L"cmd /c ocsetup S", L"cmd /c ocsetup T", L"oclist.exe"}));
    for (const auto& call : runner.calls) {
        EXPECT_TRUE(call.captureStdOut && call.captureStdErr && call.oemToAnsi);
    }
    EXPECT_EQ(shell.sleeps, (std::vector<int>{100, 100, 100, 100}));
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(Roles, RemovingARootIsOneCommandForItsSubtree) {
    Open({L"Installed:Web", L"|Installed:Ftp", L"||Installed:FtpExt", L"|Installed:Asp",
          L"Installed:Dns"});
    Toggle(L"Web");
    form->cmdUpdate->UserClick();
    EXPECT_EQ(CommandsAfterLoad(),
              (std::vector<std::wstring>{L"cmd /c ocsetup Web /uninstall", L"oclist.exe"}));
}

TEST_F(Roles, CheckingAChildInstallsTheParentFirst) {
    Open({L"Not Installed:Parent", L"|Not Installed:Child"});
    Toggle(L"Child");
    form->cmdUpdate->UserClick();
    EXPECT_EQ(CommandsAfterLoad(),
              (std::vector<std::wstring>{L"cmd /c ocsetup Parent", L"cmd /c ocsetup Child",
                                         L"oclist.exe"}));
}

TEST_F(Roles, NothingChangedOnlyReloads) {
    Open({L"Installed:A", L"|Not Installed:B"});
    runner.listings = {Lines({L"Installed:A", L"|Installed:B", L"Installed:New"})};
    form->cmdUpdate->UserClick();
    EXPECT_EQ(CommandsAfterLoad(), std::vector<std::wstring>{L"oclist.exe"});
    EXPECT_EQ(form->txtResults->Text(), L"");
    // The tree and the states are those of the new listing.
    EXPECT_EQ(Checks(), (std::vector<bool>{true, true, true}));
    EXPECT_EQ(form->FeatureStates,
              (features::FeatureStateMap{{L"A", true}, {L"B", true}, {L"New", true}}));
}

TEST_F(Roles, LogShowsEachCommandBeforeItRuns) {
    Open({L"Not Installed:A"});
    std::wstring logWhenRun;
    int caretWhenRun = -1;
    std::size_t sleepsBefore = 0;
    std::size_t redrawsBefore = 0;
    shell.readLog = [&] { return form->txtResults->Text(); };
    runner.onRun = [&](const std::wstring& line) {
        if (line.rfind(L"cmd", 0) != 0) return;
        logWhenRun = form->txtResults->Text();
        caretWhenRun = form->txtResults->SelStart();
        sleepsBefore = shell.sleeps.size();
        redrawsBefore = shell.logAtRedraw.size();
    };
    runner.listings = {Lines({L"Installed:A"})};
    Toggle(L"A");
    const std::size_t redrawsAtStart = shell.logAtRedraw.size();
    form->cmdUpdate->UserClick();
    const std::wstring expected = L"\r\nInstalling feature: A\r\nExecuting: cmd /c ocsetup A";
    EXPECT_EQ(logWhenRun, expected);
    EXPECT_EQ(caretWhenRun, static_cast<int>(expected.size()));
    EXPECT_EQ(sleepsBefore, 1u);  // the 100 ms wait came first
    ASSERT_EQ(redrawsBefore, redrawsAtStart + 1);
    EXPECT_EQ(shell.logAtRedraw[redrawsAtStart], expected);  // both lines shown before the command
    EXPECT_EQ(form->txtResults->Text(), expected);
    EXPECT_EQ(form->txtResults->SelStart(), static_cast<int>(expected.size()));
    EXPECT_TRUE(NodeNamed(L"A").Checked());

    // The log grows and is never cleared by a reload.
    Toggle(L"A");
    form->cmdUpdate->UserClick();
    EXPECT_EQ(form->txtResults->Text(),
              expected + L"\r\nUninstalling feature: A\r\nExecuting: cmd /c ocsetup A /uninstall");
}

TEST_F(Roles, NamesWithSpacesGoUnchanged) {
    Open({L"Not Installed: Feature With Spaces "});
    Toggle(L"Feature With Spaces");
    form->cmdUpdate->UserClick();
    EXPECT_EQ(CommandsAfterLoad(),
              (std::vector<std::wstring>{L"cmd /c ocsetup Feature With Spaces", L"oclist.exe"}));
}

TEST_F(Roles, NamesThatCmdWouldInterpretAreNeverRun) {
    const std::vector<std::wstring> unsafe = {L"A&calc",  L"B|x",  L"C>out.txt", L"D<in", L"E^F",
                                              L"G%PATH%", L"H\"q", L"I\tJ",      L"K\nL"};
    std::wstring listing;
    for (const auto& name : unsafe) listing += L"Not Installed:" + name + L"\r\n";
    listing += L"Not Installed:Safe-Name\r\n";
    runner.listings = {listing};
    form = ui::NewForm<frmRoles>(services);
    form->Show();
    // "|" in a name also nests its line, so look the nodes up by name.
    for (int i = 1; i <= form->tvwFeatures->Count(); ++i)
        form->tvwFeatures->UserToggleCheck(*form->tvwFeatures->Node(i));
    form->cmdUpdate->UserClick();
    EXPECT_EQ(CommandsAfterLoad(),
              (std::vector<std::wstring>{L"cmd /c ocsetup Safe-Name", L"oclist.exe"}));
    const std::wstring log = form->txtResults->Text();
    EXPECT_NE(log.find(L"\r\nInstalling feature: A&calc\r\nSkipped: the name contains a "
                       L"character that cmd would interpret"),
              std::wstring::npos);
    EXPECT_NE(log.find(L"Installing feature: G%PATH%\r\nSkipped:"), std::wstring::npos);
    EXPECT_EQ(log.find(L"Executing: cmd /c ocsetup A&calc"), std::wstring::npos);
    EXPECT_NE(log.find(L"\r\nInstalling feature: Safe-Name\r\nExecuting: cmd /c ocsetup Safe-Name"),
              std::wstring::npos);
    for (const wchar_t* name :
         {L"A&calc", L"B|x", L"C>o", L"D<i", L"E^F", L"%x%", L"\"q\"", L"a\rb"})
        EXPECT_TRUE(frmRoles::IsUnsafeFeatureName(name));
    for (const wchar_t* name : {L"IIS-WebServer", L"Feature With Spaces", L"Net(3.5)", L"a=b,c"})
        EXPECT_FALSE(frmRoles::IsUnsafeFeatureName(name));
}

TEST_F(Roles, UnsafeRemovalIsSkippedAndItsSubtreeLeftAlone) {
    Open({L"Installed:Bad&Name", L"|Installed:Child"});
    Toggle(L"Bad&Name");
    form->cmdUpdate->UserClick();
    EXPECT_EQ(CommandsAfterLoad(), std::vector<std::wstring>{L"oclist.exe"});
    EXPECT_NE(form->txtResults->Text().find(L"Uninstalling feature: Bad&Name\r\nSkipped:"),
              std::wstring::npos);
}

TEST_F(Roles, CloseUnloadsTheWindow) {
    Open({L"Installed:A"});
    form->cmdExit->UserClick();
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_TRUE(shell.FormsOfType<frmRoles>().empty());
}

TEST_F(Roles, DeepTreesAreWalkedWithoutRecursion) {
    // Far deeper than any call stack would take one frame per level.
    Open({});
    const int depth = 80000;
    ui::TreeView& tree = *form->tvwFeatures;
    tree.AddRoot(L"k0", L"N0");
    for (int d = 1; d < depth; ++d)
        tree.AddChild(L"k" + std::to_wstring(d - 1), L"k" + std::to_wstring(d),
                      L"N" + std::to_wstring(d));
    for (int i = 1; i <= depth; ++i) {
        tree.Node(i)->SetChecked(true);
        form->FeatureStates[tree.Node(i)->Text()] = true;
    }
    tree.UserToggleCheck(*tree.Node(1));
    EXPECT_FALSE(tree.Node(depth)->Checked());
    tree.Node(1)->SetChecked(true);
    tree.Node(2)->SetChecked(true);
    form->ApplyChanges();
    EXPECT_EQ(CommandsAfterLoad(), std::vector<std::wstring>{L"cmd /c ocsetup N2 /uninstall"});
}

}  // namespace
