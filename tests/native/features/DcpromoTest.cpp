#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/FormCatalog.h"
#include "app/Services.h"
#include "features/frmDcpromo.h"
#include "tests/native/features/FeaturesFakes.h"
#include "tests/support/TestShell.h"

namespace {

using features::frmDcpromo;
using features_test::ScriptedConsole;
using features_test::ScriptedConsoleFactory;

struct Dcpromo : ::testing::Test {
    testing_support::TestShell shell;
    ScriptedConsoleFactory consoles;
    app::Services services;
    std::shared_ptr<frmDcpromo> form;
    ScriptedConsole& console = *consoles.next;

    Dcpromo() {
        services.shell = &shell;
        services.consoles = &consoles;
        services.catalog = &app::FormCatalog::Default();
        console.runs[L"cmd /k"] = {{L"Microsoft Windows\r\n", L"\r\nC:\\>"}, 0, {}};
        console.runs[L"cmd /k dir"] = {{L"dir\r\n Volume in drive C\r\n", L"C:\\>"}, 0, {}};
    }

    void Open() {
        form = ui::NewForm<frmDcpromo>(services);
        form->Load();
        form->Show();
    }
};

TEST_F(Dcpromo, WindowLooksLikeAConsole) {
    Open();
    EXPECT_EQ(form->Caption(), L"DCPROMO");
    EXPECT_EQ(form->fontName, L"Verdana");
    EXPECT_TRUE(form->txtOut->multiLine);
    EXPECT_TRUE(form->txtOut->scrollBars);
    EXPECT_EQ(form->txtOut->BackColor(), ui::Rgb(0, 0, 0));
    EXPECT_EQ(form->txtOut->ForeColor(), ui::Rgb(224, 224, 224));
    EXPECT_EQ(form->cmdDCPROMO->Caption(), L"DCPROMO");
    // The first focus goes to the button, so that the pane keeps its caret
    // at the end of the text.
    EXPECT_EQ(form->TabOrder().front(), form->cmdDCPROMO);
    EXPECT_TRUE(app::FormCatalog::Default().Has(L"frmDcpromo"));
}

TEST_F(Dcpromo, LoadCapturesUntilThePrompt) {
    console.runs[L"cmd /k"].pieces.push_back(L"never shown");
    Open();
    EXPECT_EQ(console.started, std::vector<std::wstring>{L"cmd /k"});
    EXPECT_EQ(form->txtOut->Text(), L"Microsoft Windows\r\n\r\nC:\\>");
    EXPECT_EQ(console.piecesDelivered, 2);
    EXPECT_EQ(form->txtOut->SelStart(), static_cast<int>(form->txtOut->Text().size()));
    // The capture lets the window's events run while it waits.
    EXPECT_GT(shell.doEventsCount, 0);
    EXPECT_TRUE(form->IsVisible());
}

TEST_F(Dcpromo, ButtonAppendsTheDirectoryListing) {
    Open();
    form->cmdDCPROMO->UserClick();
    EXPECT_EQ(console.started, (std::vector<std::wstring>{L"cmd /k", L"cmd /k dir"}));
    EXPECT_EQ(form->txtOut->Text(),
              L"Microsoft Windows\r\n\r\nC:\\>dir\r\n Volume in drive C\r\nC:\\>");
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(Dcpromo, OnlyAPieceEndingInTheSignStopsTheCapture) {
    console.runs[L"cmd /k"].pieces = {L"C:\\> more", L"echo a>", L"not reached"};
    Open();
    EXPECT_EQ(form->txtOut->Text(), L"C:\\> moreecho a>");
    EXPECT_EQ(console.cancels, 1);
}

TEST_F(Dcpromo, PiecesGoWhereTheUserPutTheCaret) {
    console.runs[L"cmd /k dir"].pieces = {L"[one]", L"[two]>"};
    Open();
    const std::wstring before = form->txtOut->Text();
    int clicks = 0;
    console.betweenPieces = [&] {
        if (clicks++ == 0) form->txtOut->PeerSetSelection(9, 0);  // the user clicks inside
    };
    form->cmdDCPROMO->UserClick();
    EXPECT_EQ(form->txtOut->Text(), before.substr(0, 9) + L"[one]" + before.substr(9) + L"[two]>");
    EXPECT_EQ(form->txtOut->SelStart(), static_cast<int>(form->txtOut->Text().size()));
}

TEST_F(Dcpromo, LaunchFailureIsToldAndTheWindowKeepsWorking) {
    console.runs[L"cmd /k"].raise = sysaccess::kErrConsoleLaunch;
    Open();
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_NE(shell.messages[0].text.find(L"An error occured while launching the process"),
              std::wstring::npos);
    EXPECT_EQ(shell.messages[0].style, ui::kMbIconCritical);
    EXPECT_TRUE(form->IsVisible());
    form->cmdDCPROMO->UserClick();
    EXPECT_EQ(form->txtOut->Text(), L"dir\r\n Volume in drive C\r\nC:\\>");
}

TEST_F(Dcpromo, SecondRunWhileBusyIsRefusedAndTheFirstGoesOn) {
    Open();
    console.runs[L"cmd /k dir"].pieces = {L"a", L"b", L"c>"};
    int turn = 0;
    console.betweenPieces = [&] {
        if (turn++ == 1) form->cmdDCPROMO->UserClick();  // pressed again meanwhile
    };
    form->cmdDCPROMO->UserClick();
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_NE(shell.messages[0].text.find(L"A process is already running"), std::wstring::npos);
    EXPECT_EQ(form->txtOut->Text(), L"Microsoft Windows\r\n\r\nC:\\>abc>");
}

TEST_F(Dcpromo, ClosingDuringACaptureCancelsItAndLeavesTheControlsAlone) {
    Open();
    console.runs[L"cmd /k dir"].pieces = {L"first", L"second", L"third>"};
    console.betweenPieces = [&] {
        if (console.piecesDelivered == 3) shell.UserClose(*form);  // two came at load
    };
    const std::wstring before = form->txtOut->Text();
    std::weak_ptr<frmDcpromo> watch = form;
    form->cmdDCPROMO->UserClick();
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_EQ(form->txtOut->Text(), before + L"first");
    EXPECT_EQ(console.piecesDelivered, 3);
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_FALSE(console.Busy());
    form.reset();
    EXPECT_TRUE(watch.expired());
}

TEST_F(Dcpromo, ClosingWhileLoadingEndsTheFirstCapture) {
    console.runs[L"cmd /k"].pieces = {L"one", L"two", L"three>"};
    std::shared_ptr<ui::Form> opened;
    console.betweenPieces = [&] {
        if (console.piecesDelivered == 1) shell.UserClose(*shell.LoadedForms().back());
    };
    opened = app::OpenModeless(services, L"frmDcpromo");
    auto dcpromo = std::dynamic_pointer_cast<frmDcpromo>(opened);
    ASSERT_TRUE(dcpromo);
    EXPECT_FALSE(dcpromo->IsLoaded());
    EXPECT_EQ(dcpromo->txtOut->Text(), L"one");
    EXPECT_EQ(consoles.last->piecesDelivered, 1);
}

}  // namespace
