// The DCPROMO window on the real console capture and Wine's cmd, with the
// test shell standing in for the windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "app/FormCatalog.h"
#include "app/Services.h"
#include "features/frmDcpromo.h"
#include "tests/support/TestShell.h"
#include "win32/Win32ConsoleCapture.h"

namespace {

struct DcpromoOnCmd : ::testing::Test {
    testing_support::TestShell shell;
    win32::Win32ConsoleCaptureFactory consoles;
    app::Services services;

    DcpromoOnCmd() {
        services.shell = &shell;
        services.consoles = &consoles;
        services.catalog = &app::FormCatalog::Default();
    }
};

std::wstring CurrentFolder() {
    wchar_t folder[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, folder);
    return folder;
}

TEST_F(DcpromoOnCmd, LoadStopsAtThePromptAndTheButtonAppendsDir) {
    auto form = ui::NewForm<features::frmDcpromo>(services);
    form->Load();
    const std::wstring first = form->txtOut->Text();
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first.back(), L'>');
    EXPECT_NE(first.find(CurrentFolder() + L">"), std::wstring::npos);
    EXPECT_FALSE(form->conApp->Busy());

    form->cmdDCPROMO->UserClick();
    const std::wstring after = form->txtOut->Text();
    EXPECT_EQ(after.substr(0, first.size()), first);
    EXPECT_GT(after.size(), first.size());
    EXPECT_EQ(after.back(), L'>');
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(DcpromoOnCmd, ClosingWhileCmdRunsEndsTheCaptureAndLeavesThePaneAlone) {
    auto form = ui::NewForm<features::frmDcpromo>(services);
    form->Load();
    form->Show();
    // The user closes the window as soon as the capture gives way to events.
    bool closed = false;
    std::wstring atClose;
    shell.onDoEvents = [&] {
        if (closed) return;
        closed = true;
        atClose = form->txtOut->Text();
        shell.UserClose(*form);
    };
    form->cmdDCPROMO->UserClick();
    EXPECT_TRUE(closed);
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_EQ(form->txtOut->Text(), atClose);
    EXPECT_FALSE(form->conApp->Busy());
    EXPECT_TRUE(shell.messages.empty());
}

}  // namespace
