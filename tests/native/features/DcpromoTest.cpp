#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "features/frmDcpromo.h"
#include "sysaccess/IConsoleCapture.h"
#include "tests/fakes/World.h"

namespace {

using features::frmDcpromo;
using Pieces = std::vector<std::wstring>;

// What "cmd /k" prints at load (or the error it raises) → what the pane
// shows; then the button's "dir" prints "[one]" and "[two]>", the user having
// put the caret at caretAt (-1: left alone) or pressed the button again before
// the first piece, or closed the window after it. Errors are told under the
// application's title; a closed window is told nothing more and is freed.
TEST(Dcpromo, CapturesUntilAPieceEndsInThePromptSign) {
    const std::wstring kLaunch =
        L"\"cmd /k\" could not be run: " + std::wstring(sysaccess::kConsoleLaunchText);
    struct Case {
        const char* what;
        Pieces pieces;
        std::wstring shown;
        int caretAt;
        std::wstring afterClick;
        std::int32_t raiseAtLoad = 0;
        bool clickAgain = false;
        std::wstring message{};
        bool closeAfterFirst = false;
    } cases[] = {
        // clang-format off
        {"prompt in the second piece", {L"Win\r\n", L"\r\nC:\\>", L"late"}, L"Win\r\n\r\nC:\\>", -1,
         L"Win\r\n\r\nC:\\>[one][two]>"},
        {"a sign inside a piece does not stop", {L"C:\\> more", L"echo a>", L"late"},
         L"C:\\> moreecho a>", -1, L"C:\\> moreecho a>[one][two]>"},
        {"output ends without a prompt", {L"a", L"b"}, L"ab", -1, L"ab[one][two]>"},
        {"the caret put by the user", {L"012345>"}, L"012345>", 2, L"01[one]2345>[two]>"},
        {"launch failure", {}, L"", -1, L"[one][two]>", sysaccess::kErrConsoleLaunch, false,
         kLaunch},
        {"pressed while busy", {}, L"", -1, L"[one][two]>", 0, true,
         L"\"cmd /k dir\" could not be run: A process is already running"},
        {"closed while busy", {L"C:\\>"}, L"C:\\>", -1, L"C:\\>[one]", 0, false, L"", true},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fakes::World w;
        w.system.consoles[L"cmd /k"] = {c.pieces, 0, c.raiseAtLoad};
        w.system.consoles[L"cmd /k dir"].pieces = {L"[one]", L"[two]>", L"late"};
        auto form = w.Open<frmDcpromo>(L"frmDcpromo");
        ASSERT_TRUE(form && form->IsVisible());
        EXPECT_EQ(form->txtOut->Text(), c.shown);
        EXPECT_EQ(form->txtOut->SelStart(), static_cast<int>(c.shown.size()));
        int turn = 0;
        w.system.betweenPieces = [&] {
            if (turn++ == 1 && c.closeAfterFirst) w.shell.UserClose(*form);
            if (turn > 1) return;
            if (c.caretAt >= 0) form->txtOut->PeerSetSelection(c.caretAt, 0);
            if (c.clickAgain) form->cmdDCPROMO->UserClick();
        };
        form->cmdDCPROMO->UserClick();
        EXPECT_EQ(form->txtOut->Text(), c.afterClick);
        EXPECT_EQ(form->txtOut->SelStart(), static_cast<int>(c.afterClick.size()));
        EXPECT_EQ(form->txtOut->SelLength(), 0);
        std::wstring told;
        for (const auto& m : w.shell.messages)
            told += m.title + L": " + m.text + L" " + std::to_wstring(m.style);
        EXPECT_EQ(told, c.message.empty() ? L"" : L"Quillon: " + c.message + L" 16");
        EXPECT_EQ(form->IsLoaded(), !c.closeAfterFirst);
        std::weak_ptr<frmDcpromo> watch = form;
        form.reset();
        EXPECT_EQ(watch.expired(), c.closeAfterFirst);
    }
}

}  // namespace
