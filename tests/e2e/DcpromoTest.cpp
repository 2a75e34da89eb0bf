// The DCPROMO window of the real program, which the main menu does not open
// (its button is disabled): the test opens it with "/open:frmDcpromo". The
// window runs Wine's cmd and shows what it prints up to its prompt.
#include <windows.h>
#include <gtest/gtest.h>

#include <cwctype>
#include <string>

#include "tests/e2e/support/E2eDriver.h"

namespace {

std::wstring Lower(std::wstring text) {
    for (auto& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

bool EndsWithPrompt(const std::wstring& text) { return !text.empty() && text.back() == L'>'; }

TEST(DcpromoConsole, ShowsThePromptOfCmdAndAppendsTheDirectoryListing) {
    e2e::LaunchOptions options;
    options.args = {L"/open:frmDcpromo"};
    e2e::QuillonProcess app(options);
    HWND window = app.WaitForWindow(L"DCPROMO", 60000);
    ASSERT_NE(window, nullptr) << "no DCPROMO window";
    HWND out = e2e::FindChildByClass(window, L"Edit");
    ASSERT_NE(out, nullptr);
    HWND button = e2e::FindChild(window, L"DCPROMO");
    ASSERT_NE(button, nullptr);

    // The window is shown once the first capture has reached the prompt,
    // which names the folder that cmd started in: the program's own.
    const std::wstring first = e2e::Text(out);
    EXPECT_TRUE(EndsWithPrompt(first)) << e2e::Narrow(first);
    EXPECT_NE(Lower(first).find(Lower(app.Folder()) + L">"), std::wstring::npos)
        << e2e::Narrow(first) << " / " << e2e::Narrow(app.Folder());

    e2e::Click(button);
    ASSERT_TRUE(e2e::WaitUntil(
        [&] {
            const std::wstring now = e2e::Text(out);
            return now.size() > first.size() && EndsWithPrompt(now) &&
                   Lower(now).find(L"quillon.exe") != std::wstring::npos;
        },
        60000))
        << e2e::Narrow(e2e::Text(out));
    const std::wstring after = e2e::Text(out);
    EXPECT_EQ(after.substr(0, first.size()), first);  // appended below
    EXPECT_FALSE(app.CurrentMessageBox());

    e2e::Close(window);
    EXPECT_TRUE(app.WaitForExit());
}

}  // namespace
