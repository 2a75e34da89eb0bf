// The Display Settings dialog of the real program against the registry of the
// Wine prefix: the test seeds a display adapter key that sorts before Wine's
// own adapters, and removes it afterwards.
#include <windows.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/e2e/support/E2eDriver.h"

namespace {

using e2e::QuillonProcess;

const std::wstring kVideo = L"System\\CurrentControlSet\\Control\\Video";
const std::wstring kAdapterName = L"{00000000-0000-0000-0000-0000000e2e00}";
const std::wstring kAdapter = kVideo + L"\\" + kAdapterName + L"\\0000";
const wchar_t* const kDesktop = L"Control Panel\\Desktop";

std::optional<DWORD> ReadDword(const std::wstring& key, const wchar_t* name) {
    DWORD value = 0, size = sizeof(value), type = 0;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_ANY, &type, &value, &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

std::optional<std::wstring> ReadDragSetting(DWORD* typeOut = nullptr) {
    wchar_t text[64] = {};
    DWORD size = sizeof(text), type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kDesktop, L"DragFullWindows", RRF_RT_ANY | RRF_NOEXPAND,
                     &type, text, &size) != ERROR_SUCCESS)
        return std::nullopt;
    if (typeOut) *typeOut = type;
    return std::wstring(text);
}

void WriteDragSetting(const std::optional<std::wstring>& text) {
    if (!text) {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktop, L"DragFullWindows");
        return;
    }
    RegSetKeyValueW(HKEY_CURRENT_USER, kDesktop, L"DragFullWindows", REG_SZ, text->c_str(),
                    static_cast<DWORD>((text->size() + 1) * sizeof(wchar_t)));
}

struct DisplayFromMainMenu : ::testing::Test {
    std::optional<std::wstring> originalDrag = ReadDragSetting();
    std::optional<QuillonProcess> app;
    HWND dialog = nullptr;

    void SetUp() override {
        // Wine keeps the Video key volatile, and so must be everything below it.
        HKEY key = nullptr;
        ASSERT_EQ(
            RegCreateKeyExW(HKEY_LOCAL_MACHINE, (kAdapter + L"\\VolatileSettings").c_str(), 0,
                            nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
        RegCloseKey(key);
        const DWORD width = 1366, height = 768;
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, kAdapter.c_str(), L"DefaultSettings.XResolution",
                        REG_DWORD, &width, sizeof(width));
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, kAdapter.c_str(), L"DefaultSettings.YResolution",
                        REG_DWORD, &height, sizeof(height));
        WriteDragSetting(L"0");
    }

    void TearDown() override {
        app.reset();
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kVideo + L"\\" + kAdapterName).c_str());
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, (kVideo + L"\\" + kAdapterName).c_str());
        WriteDragSetting(originalDrag);
    }

    void Open() {
        app.emplace();
        dialog = app->OpenFromMainMenu(L"&Display", L"Display Settings");
        ASSERT_NE(dialog, nullptr) << "no Display Settings window";
    }

    std::wstring NextMessage() {
        auto box = app->WaitForMessageBox();
        if (!box) {
            ADD_FAILURE() << "no message box";
            return {};
        }
        EXPECT_EQ(box->title, L"Quillon");
        e2e::PressMessageBoxButton(*box, L"OK");
        EXPECT_TRUE(e2e::WaitUntil([&] { return !app->CurrentMessageBox().has_value(); }));
        return box->text;
    }
};

TEST_F(DisplayFromMainMenu, FindsTheSeededAdapterAndSavesACustomResolution) {
    Open();
    HWND custom = e2e::FindChild(dialog, L"Custom:");
    ASSERT_NE(custom, nullptr);
    EXPECT_TRUE(e2e::IsChecked(custom));
    EXPECT_FALSE(e2e::IsChecked(e2e::FindChild(dialog, L"1024 x 768")));
    HWND width = e2e::FindChildByClass(dialog, L"Edit", 0);
    HWND height = e2e::FindChildByClass(dialog, L"Edit", 1);
    ASSERT_NE(width, nullptr);
    ASSERT_NE(height, nullptr);
    EXPECT_EQ(e2e::Text(width), L"1366");
    EXPECT_EQ(e2e::Text(height), L"768");
    EXPECT_TRUE(e2e::IsEnabled(width));
    HWND drag = e2e::FindChild(dialog, L"Show window contents while dragging (current user only):");
    ASSERT_NE(drag, nullptr);
    EXPECT_FALSE(e2e::IsChecked(drag));

    // Too low first: refused, nothing written, the window stays.
    e2e::SetText(width, L"800");
    e2e::SetText(height, L"479");
    e2e::Click(e2e::FindChild(dialog, L"&Save Settings"));
    EXPECT_EQ(NextMessage(), L"Invalid resolution specified. Settings will not be saved.");
    EXPECT_EQ(ReadDword(kAdapter, L"DefaultSettings.XResolution"), 1366u);
    EXPECT_EQ(ReadDragSetting(), L"0");
    EXPECT_TRUE(e2e::IsVisible(dialog));

    e2e::SetText(width, L"1600.5");
    e2e::SetText(height, L"900");
    e2e::SetChecked(drag, true);
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::IsChecked(drag); }));
    e2e::Click(e2e::FindChild(dialog, L"&Save Settings"));
    EXPECT_EQ(NextMessage(), L"Display Resolution set and will take effect after restart.");
    EXPECT_TRUE(e2e::WaitUntil([&] { return app->Windows(L"Display Settings").empty(); }));
    EXPECT_EQ(ReadDword(kAdapter, L"DefaultSettings.XResolution"), 1600u) << "halves to even";
    EXPECT_EQ(ReadDword(kAdapter, L"DefaultSettings.YResolution"), 900u);
    DWORD type = 0;
    EXPECT_EQ(ReadDragSetting(&type), L"1");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
}

TEST_F(DisplayFromMainMenu, APresetIsSelectedAndSavedByItsCaption) {
    const DWORD width = 1280, height = 1024;
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, kAdapter.c_str(), L"DefaultSettings.XResolution", REG_DWORD,
                    &width, sizeof(width));
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, kAdapter.c_str(), L"DefaultSettings.YResolution", REG_DWORD,
                    &height, sizeof(height));
    Open();
    EXPECT_TRUE(e2e::IsChecked(e2e::FindChild(dialog, L"1280 x 1024")));
    HWND customWidth = e2e::FindChildByClass(dialog, L"Edit", 0);
    EXPECT_FALSE(e2e::IsEnabled(customWidth));
    EXPECT_EQ(e2e::Text(customWidth), L"");

    e2e::Click(e2e::FindChild(dialog, L"1440 x 900"));
    e2e::Click(e2e::FindChild(dialog, L"&Save Settings"));
    EXPECT_EQ(NextMessage(), L"Display Resolution set and will take effect after restart.");
    EXPECT_EQ(ReadDword(kAdapter, L"DefaultSettings.XResolution"), 1440u);
    EXPECT_EQ(ReadDword(kAdapter, L"DefaultSettings.YResolution"), 900u);
    EXPECT_EQ(ReadDragSetting(), L"0");
}

}  // namespace

namespace {

TEST_F(DisplayFromMainMenu, WithoutAnAdapterKeyCustomStaysEmptyAndSavingIsRefused) {
    // Wine's own adapters have no VolatileSettings key: with the seeded one
    // gone there is no display key at all.
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kVideo + L"\\" + kAdapterName).c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, (kVideo + L"\\" + kAdapterName).c_str());
    Open();
    EXPECT_TRUE(e2e::IsChecked(e2e::FindChild(dialog, L"Custom:")));
    HWND width = e2e::FindChildByClass(dialog, L"Edit", 0);
    HWND height = e2e::FindChildByClass(dialog, L"Edit", 1);
    EXPECT_EQ(e2e::Text(width), L"");
    EXPECT_EQ(e2e::Text(height), L"");
    e2e::SetText(width, L"1024");
    e2e::SetText(height, L"768");
    e2e::Click(e2e::FindChild(dialog, L"&Save Settings"));
    EXPECT_EQ(NextMessage(),
              L"No display adapter settings were found in the registry, so the resolution cannot "
              L"be saved. Settings will not be saved.");
    EXPECT_TRUE(e2e::IsVisible(dialog)) << "the window stays open";
    EXPECT_EQ(ReadDragSetting(), L"0") << "nothing was written";
}

}  // namespace
