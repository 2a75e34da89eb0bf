// The Computer Name dialog in the real program: opened from the main menu, it
// shows the computer's name and workgroup as the system reports them, and
// editing the name locks the membership frame until the name is typed back.
#include <gtest/gtest.h>
// clang-format off
#include <windows.h>
#include <lm.h>
// clang-format on

#include <cwctype>

#include "tests/e2e/support/E2eDriver.h"

namespace {

using e2e::QuillonProcess;

const wchar_t kMainCaption[] = L"Quillon by Varnholt";
const wchar_t kDialogCaption[] = L"Computer Name Changes";

std::wstring SystemComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    ::GetComputerNameW(name, &size);
    return std::wstring(name, size);
}

std::wstring SystemWorkgroup() {
    LPWSTR buffer = nullptr;
    NETSETUP_JOIN_STATUS status = NetSetupUnknownStatus;
    std::wstring name;
    if (::NetGetJoinInformation(nullptr, &buffer, &status) == 0 && buffer) name = buffer;
    ::NetApiBufferFree(buffer);
    return name;
}

std::wstring Lower(std::wstring text) {
    for (auto& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

class ComputerNameDialog : public ::testing::Test {
  protected:
    QuillonProcess app;
    HWND dialog = nullptr;
    HWND nameBox = nullptr, domainBox = nullptr, workgroupBox = nullptr;
    HWND frame = nullptr, domainOption = nullptr, workgroupOption = nullptr;

    void SetUp() override {
        HWND main = app.WaitForWindow(kMainCaption);
        ASSERT_NE(main, nullptr) << "no main window";
        HWND button = e2e::FindChild(main, L"&Computer Name");
        ASSERT_NE(button, nullptr);
        e2e::Click(button);
        dialog = app.WaitForWindow(kDialogCaption);
        ASSERT_NE(dialog, nullptr) << "the dialog did not open";
        nameBox = e2e::FindChildByClass(dialog, L"Edit", 0);
        domainBox = e2e::FindChildByClass(dialog, L"Edit", 1);
        workgroupBox = e2e::FindChildByClass(dialog, L"Edit", 2);
        frame = e2e::FindChild(dialog, L"Member of:");
        domainOption = e2e::FindChild(dialog, L"Domain:");
        workgroupOption = e2e::FindChild(dialog, L"Workgroup:");
        ASSERT_NE(nameBox, nullptr);
        ASSERT_NE(domainBox, nullptr);
        ASSERT_NE(workgroupBox, nullptr);
        ASSERT_NE(frame, nullptr);
        ASSERT_NE(domainOption, nullptr);
        ASSERT_NE(workgroupOption, nullptr);
    }

    bool MembershipUsable() const {
        return e2e::IsEnabled(frame) && e2e::IsEnabled(domainOption) &&
               e2e::IsEnabled(workgroupOption) && e2e::IsEnabled(workgroupBox);
    }
    bool MembershipLocked() const {
        return !e2e::IsEnabled(frame) && !e2e::IsEnabled(domainOption) &&
               !e2e::IsEnabled(workgroupOption) && !e2e::IsEnabled(workgroupBox) &&
               !e2e::IsEnabled(domainBox);
    }
};

TEST_F(ComputerNameDialog, ShowsTheNameAndWorkgroupOfTheSystem) {
    EXPECT_EQ(e2e::Text(nameBox), SystemComputerName());
    const std::wstring workgroup = SystemWorkgroup();
    ASSERT_FALSE(workgroup.empty());
    EXPECT_EQ(e2e::Text(workgroupBox), workgroup);
    EXPECT_EQ(e2e::Text(domainBox), L"");
    EXPECT_TRUE(e2e::IsChecked(workgroupOption));
    EXPECT_FALSE(e2e::IsChecked(domainOption));
    EXPECT_TRUE(MembershipUsable());
    EXPECT_FALSE(e2e::IsEnabled(domainBox));
}

TEST_F(ComputerNameDialog, EditingTheNameLocksTheFrameAndTypingItBackUnlocksIt) {
    const std::wstring name = e2e::Text(nameBox);
    e2e::SetText(nameBox, name + L"2");
    EXPECT_TRUE(e2e::WaitUntil([&] { return MembershipLocked(); })) << "frame still usable";
    EXPECT_EQ(e2e::Text(workgroupBox), SystemWorkgroup());

    e2e::SetText(nameBox, Lower(name));
    EXPECT_TRUE(e2e::WaitUntil([&] { return MembershipUsable(); })) << "frame still locked";
    EXPECT_FALSE(e2e::IsEnabled(domainBox));
    EXPECT_TRUE(e2e::IsChecked(workgroupOption));
}

TEST_F(ComputerNameDialog, RenameThatTheSystemRefusesIsReportedAndTheDialogStays) {
    e2e::SetText(nameBox, L"QUILLONE2E");
    ASSERT_TRUE(e2e::WaitUntil([&] { return MembershipLocked(); }));
    e2e::Click(e2e::FindChild(dialog, L"&OK"));
    auto box = app.WaitForMessageBox();
    ASSERT_TRUE(box.has_value()) << "no message";
    if (box->title == L"Reboot the computer now ?") {
        // A system that accepts renames: decline the restart.
        e2e::PressMessageBoxButton(*box, L"No");
        GTEST_SKIP() << "this system renames computers";
    }
    EXPECT_EQ(box->title, L"Quillon");
    const std::wstring prefix = L"Failed to change the computer name. The error was: ";
    EXPECT_EQ(box->text.rfind(prefix, 0), 0u) << e2e::Narrow(box->text);
    EXPECT_GT(box->text.size(), prefix.size());
    EXPECT_EQ(box->buttons, std::vector<std::wstring>{L"OK"});
    e2e::PressMessageBoxButton(*box, L"OK");
    EXPECT_TRUE(e2e::WaitUntil([&] { return !app.CurrentMessageBox().has_value(); }));
    EXPECT_TRUE(::IsWindowVisible(dialog));
    EXPECT_EQ(e2e::Text(nameBox), L"QUILLONE2E");

    e2e::Click(e2e::FindChild(dialog, L"&Cancel"));
    EXPECT_TRUE(e2e::WaitUntil([&] { return app.Windows(kDialogCaption).empty(); }));
    EXPECT_TRUE(app.Running());
}

TEST_F(ComputerNameDialog, CredentialsPromptIsModalAndEveryWayOutButOkIsSilent) {
    HWND main = app.WaitForWindow(kMainCaption);
    const wchar_t kPrompt[] = L"Credentials for CORP domain:";
    e2e::Click(domainOption);
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::IsEnabled(domainBox); }));
    e2e::SetText(domainBox, L"corp");
    HWND ok = e2e::FindChild(dialog, L"&OK");

    // Escape cancels.
    e2e::Click(ok);
    HWND prompt = app.WaitForWindow(kPrompt);
    ASSERT_NE(prompt, nullptr) << "no credentials prompt";
    EXPECT_TRUE(e2e::WaitUntil([&] { return !::IsWindowEnabled(dialog); }));
    EXPECT_FALSE(::IsWindowEnabled(main));
    e2e::SendKey(prompt, VK_ESCAPE);
    EXPECT_TRUE(e2e::WaitUntil([&] { return app.Windows(kPrompt).empty(); }));
    EXPECT_TRUE(e2e::WaitUntil([&] { return ::IsWindowEnabled(dialog) != FALSE; }));
    ::Sleep(300);
    EXPECT_FALSE(app.CurrentMessageBox().has_value());

    // The close box leaves the prompt without an answer: silent as well.
    e2e::Click(ok);
    prompt = app.WaitForWindow(kPrompt);
    ASSERT_NE(prompt, nullptr);
    e2e::Close(prompt);
    EXPECT_TRUE(e2e::WaitUntil([&] { return app.Windows(kPrompt).empty(); }));
    ::Sleep(300);
    EXPECT_FALSE(app.CurrentMessageBox().has_value());

    // OK hands the typed account to the join, which this system refuses.
    e2e::Click(ok);
    prompt = app.WaitForWindow(kPrompt);
    ASSERT_NE(prompt, nullptr);
    HWND user = e2e::FindChildByClass(prompt, L"Edit", 0);
    HWND password = e2e::FindChildByClass(prompt, L"Edit", 1);
    ASSERT_NE(user, nullptr);
    ASSERT_NE(password, nullptr);
    EXPECT_EQ(::SendMessageW(password, EM_GETPASSWORDCHAR, 0, 0), L'*');
    e2e::SetText(user, L"CORP\\admin");
    e2e::SetText(password, L"secret");
    e2e::Click(e2e::FindChild(prompt, L"OK"));
    auto box = app.WaitForMessageBox();
    ASSERT_TRUE(box.has_value()) << "no message after the join";
    if (box->title == L"Reboot the computer now ?") {
        e2e::PressMessageBoxButton(*box, L"No");
        GTEST_SKIP() << "this system joins domains";
    }
    const std::wstring prefix = L"Domain join failed. The error code was: ";
    EXPECT_EQ(box->text.rfind(prefix, 0), 0u) << e2e::Narrow(box->text);
    EXPECT_GT(box->text.size(), prefix.size());
    EXPECT_EQ(box->title, L"Quillon");
    e2e::PressMessageBoxButton(*box, L"OK");
    EXPECT_TRUE(app.Windows(kPrompt).empty());
    EXPECT_TRUE(e2e::WaitUntil([&] { return ::IsWindowEnabled(dialog) != FALSE; }));
    EXPECT_EQ(e2e::Text(domainBox), L"corp");
}

}  // namespace
