#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "features/frmDcpromo.h"
#include "sysaccess/IConsoleCapture.h"
#include "tests/fakes/World.h"

namespace {

using features::frmDcpromo;
using Pieces = std::vector<std::wstring>;

const Pieces kDirOutput = {L"dir\r\n Volume in drive C\r\n", L"C:\\>"};

// What "cmd /k" prints at load → what the pane shows; the "dir" of the button
// is appended below it, so a capture that did not stop would show more.
TEST(Dcpromo, CapturesUntilAPieceEndsInThePromptSign) {
    struct Case {
        const char* what;
        Pieces pieces;
        std::wstring shown;
    } cases[] = {
        {"prompt in the second piece",
         {L"Microsoft Windows\r\n", L"\r\nC:\\>", L"late"},
         L"Microsoft Windows\r\n\r\nC:\\>"},
        {"a sign inside a piece does not stop",
         {L"C:\\> more", L"echo a>", L"late"},
         L"C:\\> moreecho a>"},
        {"output ends without a prompt", {L"a", L"b"}, L"ab"},
        {"nothing printed", {}, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fakes::World w;
        w.system.consoles[L"cmd /k"].pieces = c.pieces;
        w.system.consoles[L"cmd /k dir"].pieces = kDirOutput;
        auto form = w.Open<frmDcpromo>(L"frmDcpromo");
        ASSERT_TRUE(form && form->IsVisible());
        EXPECT_EQ(form->txtOut->Text(), c.shown);
        EXPECT_EQ(form->txtOut->SelStart(), static_cast<int>(c.shown.size()));
        form->cmdDCPROMO->UserClick();
        EXPECT_EQ(form->txtOut->Text(), c.shown + L"dir\r\n Volume in drive C\r\nC:\\>");
        EXPECT_EQ(w.system.journal, (Pieces{L"console cmd /k", L"console cmd /k dir"}));
        EXPECT_TRUE(w.shell.messages.empty());
    }
}

TEST(Dcpromo, PiecesGoWhereTheUserPutTheCaretThenItJumpsToTheEnd) {
    fakes::World w;
    w.system.consoles[L"cmd /k"].pieces = {L"0123456789>"};
    w.system.consoles[L"cmd /k dir"].pieces = {L"[one]", L"[two]>"};
    auto form = w.Open<frmDcpromo>(L"frmDcpromo");
    int turn = 0;
    w.system.betweenPieces = [&] {
        if (turn++ == 0) form->txtOut->PeerSetSelection(4, 0);
    };
    form->cmdDCPROMO->UserClick();
    EXPECT_EQ(form->txtOut->Text(), L"0123[one]456789>[two]>");
    EXPECT_EQ(form->txtOut->SelStart(), 22);
}

// Every refusal of the capture is told under the application's title, and
// the window goes on working.
TEST(Dcpromo, CaptureErrorsAreToldAndTheWindowKeepsWorking) {
    struct Case {
        const char* what;
        std::int32_t raiseAtLoad;
        bool clickDuringCapture;
        std::wstring message;
    } cases[] = {
        {"launch", sysaccess::kErrConsoleLaunch, false,
         L"\"cmd /k\" could not be run: An error occured while launching the process"},
        {"pipe", sysaccess::kErrConsolePipe, false,
         L"\"cmd /k\" could not be run: An error occured while creating the pipe"},
        {"busy", 0, true, L"\"cmd /k dir\" could not be run: A process is already running"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fakes::World w;
        w.system.consoles[L"cmd /k"].raise = c.raiseAtLoad;
        w.system.consoles[L"cmd /k dir"].pieces = {L"a", L"b", L"c>"};
        auto form = w.Open<frmDcpromo>(L"frmDcpromo");
        ASSERT_TRUE(form && form->IsVisible());
        int turn = 0;
        w.system.betweenPieces = [&] {
            if (c.clickDuringCapture && turn++ == 1) form->cmdDCPROMO->UserClick();
        };
        form->cmdDCPROMO->UserClick();
        EXPECT_EQ(form->txtOut->Text(), L"abc>");
        ASSERT_EQ(w.shell.messages.size(), 1u);
        EXPECT_EQ(w.shell.messages[0].text, c.message);
        EXPECT_EQ(w.shell.messages[0].style, ui::kMbIconCritical);
        EXPECT_EQ(w.shell.messages[0].title, L"Quillon");
    }
}

// Closed by the user while a capture runs, at load or from the button: the
// capture ends, nothing more reaches the pane, no message is shown and the
// window is freed.
TEST(Dcpromo, ClosingDuringACaptureEndsIt) {
    for (const bool atLoad : {true, false}) {
        SCOPED_TRACE(atLoad ? "at load" : "from the button");
        fakes::World w;
        const Pieces slow = {L"first", L"second", L"third>"};
        w.system.consoles[L"cmd /k"].pieces = atLoad ? slow : Pieces{L"C:\\>"};
        w.system.consoles[L"cmd /k dir"].pieces = slow;
        int turn = 0;
        w.system.betweenPieces = [&] {
            if (turn++ == (atLoad ? 1 : 2)) w.shell.UserClose(*w.shell.LoadedForms().back());
        };
        std::shared_ptr<frmDcpromo> form;
        w.shell.onDoEvents = [&] {
            if (!form) form = w.shell.FormsOfType<frmDcpromo>().front();
        };
        w.Open<frmDcpromo>(L"frmDcpromo");
        if (!atLoad) form->cmdDCPROMO->UserClick();
        ASSERT_TRUE(form);
        EXPECT_FALSE(form->IsLoaded());
        EXPECT_EQ(form->txtOut->Text(), atLoad ? L"first" : L"C:\\>first");
        EXPECT_TRUE(w.shell.messages.empty());
        std::weak_ptr<frmDcpromo> watch = form;
        form.reset();
        EXPECT_TRUE(watch.expired());
    }
}

}  // namespace
