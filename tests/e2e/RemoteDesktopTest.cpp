// The Remote Desktop dialog of the real program against the registry of the
// Wine prefix, which the test seeds first and restores afterwards.
#include <windows.h>
#include <gtest/gtest.h>
// After windows.h, which it needs.
#include <sddl.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/support/E2eDriver.h"

namespace {

using e2e::QuillonProcess;

const wchar_t* const kServerKey = L"System\\CurrentControlSet\\Control\\Terminal Server";
const wchar_t* const kRdpTcpKey =
    L"System\\CurrentControlSet\\Control\\Terminal Server\\Winstations\\RDP-Tcp";

std::optional<DWORD> ReadDword(const wchar_t* key, const wchar_t* name) {
    DWORD value = 0, size = sizeof(value), type = 0;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_ANY, &type, &value, &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

void WriteDword(const wchar_t* key, const wchar_t* name, std::optional<DWORD> value) {
    if (!value) {
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key, name);
        return;
    }
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, name, REG_DWORD, &*value, sizeof(DWORD));
}

// Puts a value back as it was before the test.
struct RestoredDword {
    const wchar_t* key;
    const wchar_t* name;
    std::optional<DWORD> original;
    RestoredDword(const wchar_t* k, const wchar_t* n)
        : key(k), name(n), original(ReadDword(k, n)) {}
    ~RestoredDword() { WriteDword(key, name, original); }
};

struct RemoteDesktopFromMainMenu : ::testing::Test {
    RestoredDword deny{kServerKey, L"fDenyTSConnections"};
    RestoredDword auth{kRdpTcpKey, L"UserAuthentication"};
    std::optional<QuillonProcess> app;
    HWND dialog = nullptr;
    HWND allowBox = nullptr;
    HWND legacyBox = nullptr;

    void Open() {
        app.emplace();
        dialog = app->OpenFromMainMenu(L"&RDP", L"Remote Desktop Settings");
        ASSERT_NE(dialog, nullptr) << "no Remote Desktop Settings window";
        allowBox = e2e::FindChild(dialog, L"Allow Remote Administration Connections");
        legacyBox = e2e::FindChild(dialog, L"Allow Connections from previous versions of Windows");
        ASSERT_NE(allowBox, nullptr);
        ASSERT_NE(legacyBox, nullptr);
    }

    void SaveAndWaitForClose() {
        e2e::Click(e2e::FindChild(dialog, L"&Save"));
        EXPECT_TRUE(e2e::WaitUntil([&] {
            return app->Windows(L"Remote Desktop Settings").empty();
        })) << "Save closes the window";
        EXPECT_FALSE(app->CurrentMessageBox().has_value()) << "no message on success";
    }
};

TEST_F(RemoteDesktopFromMainMenu, BoxesFollowTheRegistryAndSaveWritesBothValues) {
    WriteDword(kServerKey, L"fDenyTSConnections", 1);
    WriteDword(kRdpTcpKey, L"UserAuthentication", 0);
    Open();
    EXPECT_FALSE(e2e::IsChecked(allowBox));
    EXPECT_TRUE(e2e::IsChecked(legacyBox));

    e2e::SetChecked(allowBox, true);
    e2e::SetChecked(legacyBox, false);
    ASSERT_TRUE(
        e2e::WaitUntil([&] { return e2e::IsChecked(allowBox) && !e2e::IsChecked(legacyBox); }));
    SaveAndWaitForClose();
    EXPECT_EQ(ReadDword(kServerKey, L"fDenyTSConnections"), 0u);
    EXPECT_EQ(ReadDword(kRdpTcpKey, L"UserAuthentication"), 1u);
}

TEST_F(RemoteDesktopFromMainMenu, MissingValuesOpenTickedAndSaveCreatesThem) {
    WriteDword(kServerKey, L"fDenyTSConnections", std::nullopt);
    WriteDword(kRdpTcpKey, L"UserAuthentication", std::nullopt);
    Open();
    EXPECT_TRUE(e2e::IsChecked(allowBox));
    EXPECT_TRUE(e2e::IsChecked(legacyBox));
    SaveAndWaitForClose();
    EXPECT_EQ(ReadDword(kServerKey, L"fDenyTSConnections"), 0u);
    EXPECT_EQ(ReadDword(kRdpTcpKey, L"UserAuthentication"), 0u);
}

TEST_F(RemoteDesktopFromMainMenu, ClosingFromTheTitleBarChangesNothing) {
    WriteDword(kServerKey, L"fDenyTSConnections", 2);
    WriteDword(kRdpTcpKey, L"UserAuthentication", 1);
    Open();
    EXPECT_FALSE(e2e::IsChecked(allowBox));
    EXPECT_FALSE(e2e::IsChecked(legacyBox));
    e2e::SetChecked(allowBox, true);
    e2e::Close(dialog);
    EXPECT_TRUE(e2e::WaitUntil([&] { return app->Windows(L"Remote Desktop Settings").empty(); }));
    EXPECT_EQ(ReadDword(kServerKey, L"fDenyTSConnections"), 2u);
    EXPECT_EQ(ReadDword(kRdpTcpKey, L"UserAuthentication"), 1u);
}

// Makes a key read-only for everyone while it lives, then puts its own
// permissions back.
class ReadOnlyKey {
  public:
    explicit ReadOnlyKey(const wchar_t* path) : path_(path) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path_, 0, READ_CONTROL | WRITE_DAC, &key) != 0)
            return;
        DWORD size = 0;
        RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
        original_.resize(size);
        if (size &&
            RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, original_.data(), &size) == 0) {
            PSECURITY_DESCRIPTOR readOnly = nullptr;
            if (ConvertStringSecurityDescriptorToSecurityDescriptorW(
                    L"D:P(A;;KR;;;WD)", SDDL_REVISION_1, &readOnly, nullptr)) {
                applied = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, readOnly) == 0;
                LocalFree(readOnly);
            }
        }
        RegCloseKey(key);
    }
    ~ReadOnlyKey() {
        HKEY key = nullptr;
        if (!applied || RegOpenKeyExW(HKEY_LOCAL_MACHINE, path_, 0, WRITE_DAC, &key) != 0) return;
        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, original_.data());
        RegCloseKey(key);
    }
    ReadOnlyKey(const ReadOnlyKey&) = delete;
    ReadOnlyKey& operator=(const ReadOnlyKey&) = delete;
    bool applied = false;

  private:
    const wchar_t* path_;
    std::vector<BYTE> original_;
};

TEST_F(RemoteDesktopFromMainMenu, ARefusedWriteIsNamedAndTheWindowStaysOpen) {
    WriteDword(kServerKey, L"fDenyTSConnections", 1);
    WriteDword(kRdpTcpKey, L"UserAuthentication", 1);
    ReadOnlyKey locked(kRdpTcpKey);
    ASSERT_TRUE(locked.applied);
    Open();
    e2e::SetChecked(allowBox, true);
    e2e::SetChecked(legacyBox, true);
    ASSERT_TRUE(
        e2e::WaitUntil([&] { return e2e::IsChecked(allowBox) && e2e::IsChecked(legacyBox); }));
    e2e::Click(e2e::FindChild(dialog, L"&Save"));
    auto box = app->WaitForMessageBox();
    ASSERT_TRUE(box.has_value()) << "no message about the refused write";
    EXPECT_EQ(box->title, L"Quillon");
    EXPECT_EQ(box->text,
              L"The Remote Desktop settings were not saved: the registry value "
              L"\"UserAuthentication\" in \"HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\"
              L"Control\\Terminal Server\\Winstations\\RDP-Tcp\" could not be written.");
    e2e::PressMessageBoxButton(*box, L"OK");
    EXPECT_TRUE(e2e::WaitUntil([&] { return !app->CurrentMessageBox().has_value(); }));
    EXPECT_TRUE(e2e::IsVisible(dialog)) << "the window stays open";
    EXPECT_EQ(ReadDword(kServerKey, L"fDenyTSConnections"), 0u) << "the first value was written";
    EXPECT_EQ(ReadDword(kRdpTcpKey, L"UserAuthentication"), 1u);
}

}  // namespace
