#include <gtest/gtest.h>

#include "app/FormCatalog.h"
#include "app/Services.h"
#include "display/frmDisplayResolution.h"
#include "sysaccess/IRegistryBackend.h"
#include "tests/support/FakeRegistry.h"
#include "tests/support/TestShell.h"

namespace {

using display::frmDisplayResolution;
using sysaccess::kHkeyCurrentUser;
using sysaccess::kHkeyLocalMachine;

const std::wstring kVideo = L"System\\CurrentControlSet\\Control\\Video";
const std::wstring kAdapter = kVideo + L"\\{11111111-2222-3333-4444-555555555555}\\0000";
const std::wstring kDesktop = L"Control Panel\\Desktop";
const std::wstring kInvalid = L"Invalid resolution specified. Settings will not be saved.";
const std::wstring kSaved = L"Display Resolution set and will take effect after restart.";

std::string ControlName(const ui::Control& control) {
    std::string name(control.Name().begin(), control.Name().end());
    return control.Index() >= 0 ? name + "(" + std::to_string(control.Index()) + ")" : name;
}

struct DisplaySettings : ::testing::Test {
    testing_support::TestShell shell;
    testing_support::FakeRegistry registry;
    app::Services services;

    void SetUp() override {
        services.shell = &shell;
        services.registry = &registry;
        services.catalog = &app::FormCatalog::Default();
    }
    void TearDown() override { EXPECT_EQ(registry.OpenHandles(), 0); }

    // An adapter key as the display driver leaves it.
    void SeedAdapter(const std::wstring& key, std::optional<std::uint32_t> width,
                     std::optional<std::uint32_t> height) {
        registry.CreateKey(kHkeyLocalMachine, key + L"\\VolatileSettings");
        if (width)
            registry.SetDword(kHkeyLocalMachine, key, L"DefaultSettings.XResolution", *width);
        if (height)
            registry.SetDword(kHkeyLocalMachine, key, L"DefaultSettings.YResolution", *height);
    }

    std::shared_ptr<frmDisplayResolution> Open() {
        auto form = std::dynamic_pointer_cast<frmDisplayResolution>(
            app::OpenModeless(services, L"frmDisplayResolution"));
        EXPECT_TRUE(form) << "frmDisplayResolution is registered in the catalog";
        return form;
    }

    int Selected(const frmDisplayResolution& form) const {
        int selected = -1;
        for (int i = 0; i < 9; ++i)
            if (form.optRes[i]->Value()) {
                EXPECT_EQ(selected, -1) << "only one option is selected";
                selected = i;
            }
        return selected;
    }

    std::optional<std::uint32_t> Stored(const std::wstring& key, const wchar_t* name) const {
        return registry.GetDword(kHkeyLocalMachine, key, name);
    }

    // Types a custom resolution and saves.
    void SaveCustom(frmDisplayResolution& form, const std::wstring& x, const std::wstring& y) {
        form.optRes[8]->UserClick();
        form.txtCustomX->UserSetText(x);
        form.txtCustomY->UserSetText(y);
        form.cmdSave->UserClick();
    }
};

TEST_F(DisplaySettings, ControlsAndCaptions) {
    SeedAdapter(kAdapter, 1024, 768);
    auto form = Open();
    EXPECT_EQ(form->Caption(), L"Display Settings");
    EXPECT_EQ(form->fontName, L"Verdana");
    const wchar_t* captions[] = {L"640 x 480",  L"800 x 600",   L"1024 x 768",
                                 L"1280 x 720", L"1280 x 800",  L"1280 x 1024",
                                 L"1440 x 900", L"1600 x 1200", L"Custom:"};
    for (int i = 0; i < 9; ++i) {
        ASSERT_EQ(form->Find(L"optRes", i), form->optRes[i]);
        EXPECT_EQ(form->optRes[i]->Caption(), captions[i]);
        EXPECT_EQ(form->optRes[i]->container, form->Frame3);
    }
    // Columns of three: index 3 starts the second column level with index 0.
    EXPECT_EQ(form->optRes[3]->bounds.top, form->optRes[0]->bounds.top);
    EXPECT_GT(form->optRes[3]->bounds.left, form->optRes[2]->bounds.left);
    EXPECT_GT(form->optRes[8]->bounds.top, form->optRes[2]->bounds.top);
    EXPECT_GT(form->txtCustomY->bounds.top, form->txtCustomX->bounds.top);
    EXPECT_EQ(form->Frame3->Caption(), L"Display Resolution");
    EXPECT_EQ(form->Frame2->Caption(), L"Misc");
    EXPECT_EQ(form->Label1->Caption(), L"Width (X):");
    EXPECT_EQ(form->Label2->Caption(), L"Height (Y):");
    EXPECT_EQ(form->chkFullWindowDragging->Caption(),
              L"Show window contents while dragging (current user only):");
    EXPECT_EQ(form->chkFullWindowDragging->container, form->Frame2);
    EXPECT_EQ(form->cmdSave->Caption(), L"&Save Settings");

    // Every control lies inside its frame, and every frame inside the window.
    for (const auto& control : form->Controls()) {
        const ui::Bounds& b = control->bounds;
        const ui::Bounds outer = control->container
                                     ? control->container->bounds
                                     : ui::Bounds{0, 0, form->clientWidth, form->clientHeight};
        EXPECT_GE(b.left, outer.left) << ControlName(*control);
        EXPECT_GE(b.top, outer.top) << ControlName(*control);
        EXPECT_LE(b.left + b.width, outer.left + outer.width) << ControlName(*control);
        EXPECT_LE(b.top + b.height, outer.top + outer.height) << ControlName(*control);
    }
}

TEST_F(DisplaySettings, StoredPresetSelectsItsButtonWithEmptyDisabledBoxes) {
    SeedAdapter(kAdapter, 1024, 768);
    auto form = Open();
    EXPECT_EQ(Selected(*form), 2);
    EXPECT_FALSE(form->txtCustomX->Enabled());
    EXPECT_FALSE(form->txtCustomY->Enabled());
    EXPECT_EQ(form->txtCustomX->Text(), L"");
    EXPECT_EQ(form->txtCustomY->Text(), L"");
}

TEST_F(DisplaySettings, OtherResolutionSelectsCustomWithItsNumbers) {
    SeedAdapter(kAdapter, 1366, 768);
    auto form = Open();
    EXPECT_EQ(Selected(*form), 8);
    EXPECT_TRUE(form->txtCustomX->Enabled());
    EXPECT_TRUE(form->txtCustomY->Enabled());
    EXPECT_EQ(form->txtCustomX->Text(), L"1366");
    EXPECT_EQ(form->txtCustomY->Text(), L"768");
}

TEST_F(DisplaySettings, MissingValuesShowAsCustomZeroes) {
    SeedAdapter(kAdapter, std::nullopt, std::nullopt);
    auto form = Open();
    EXPECT_EQ(Selected(*form), 8);
    EXPECT_EQ(form->txtCustomX->Text(), L"0");
    EXPECT_EQ(form->txtCustomY->Text(), L"0");
    form->cmdSave->UserClick();
    EXPECT_EQ(shell.LastMessage(), kInvalid);
    EXPECT_TRUE(registry.writes.empty());
}

TEST_F(DisplaySettings, ChoosingOptionsEnablesTheCustomBoxesOnlyForCustom) {
    SeedAdapter(kAdapter, 800, 600);
    auto form = Open();
    EXPECT_EQ(Selected(*form), 1);
    form->optRes[8]->UserClick();
    EXPECT_TRUE(form->txtCustomX->Enabled());
    form->txtCustomX->UserSetText(L"1000");
    form->optRes[5]->UserClick();
    EXPECT_FALSE(form->txtCustomX->Enabled());
    EXPECT_FALSE(form->txtCustomY->Enabled());
    EXPECT_EQ(form->txtCustomX->Text(), L"1000") << "the text is kept";
}

TEST_F(DisplaySettings, SavingAPresetWritesBothValuesThenDragging) {
    SeedAdapter(kAdapter, 800, 600);
    auto form = Open();
    form->optRes[7]->UserClick();
    form->cmdSave->UserClick();
    EXPECT_EQ(Stored(kAdapter, L"DefaultSettings.XResolution"), 1600u);
    EXPECT_EQ(Stored(kAdapter, L"DefaultSettings.YResolution"), 1200u);
    ASSERT_EQ(registry.writes.size(), 3u);
    EXPECT_EQ(registry.writes[0].name, L"DefaultSettings.XResolution");
    EXPECT_EQ(registry.writes[1].name, L"DefaultSettings.YResolution");
    EXPECT_EQ(registry.writes[2].name, L"DragFullWindows");
    EXPECT_EQ(registry.writes[2].root, kHkeyCurrentUser);
    EXPECT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.LastMessage(), kSaved);
    EXPECT_EQ(shell.messages[0].style, 0);
    EXPECT_FALSE(form->IsLoaded());
}

TEST_F(DisplaySettings, CustomBoundsAreInclusive) {
    SeedAdapter(kAdapter, 1024, 768);
    auto form = Open();
    SaveCustom(*form, L"640", L"480");
    EXPECT_EQ(shell.LastMessage(), kSaved);
    EXPECT_EQ(Stored(kAdapter, L"DefaultSettings.XResolution"), 640u);
    EXPECT_EQ(Stored(kAdapter, L"DefaultSettings.YResolution"), 480u);
}

TEST_F(DisplaySettings, TooSmallIsRefusedAndTheWindowStaysOpen) {
    SeedAdapter(kAdapter, 1024, 768);
    auto form = Open();
    for (auto [x, y] : std::vector<std::pair<std::wstring, std::wstring>>{
             {L"800", L"479"}, {L"639", L"600"}, {L"639.9", L"480"}, {L"-1024", L"768"}}) {
        shell.messages.clear();
        SaveCustom(*form, x, y);
        ASSERT_EQ(shell.messages.size(), 1u) << x << " x " << y;
        EXPECT_EQ(shell.LastMessage(), kInvalid);
        EXPECT_EQ(shell.messages[0].style, 0);
        EXPECT_TRUE(form->IsLoaded());
    }
    EXPECT_TRUE(registry.writes.empty()) << "nothing is written, not even the drag setting";
}

TEST_F(DisplaySettings, HalvesRoundToEven) {
    SeedAdapter(kAdapter, 1024, 768);
    auto form = Open();
    SaveCustom(*form, L"1024.5", L"768");
    EXPECT_EQ(Stored(kAdapter, L"DefaultSettings.XResolution"), 1024u);
    EXPECT_EQ(Stored(kAdapter, L"DefaultSettings.YResolution"), 768u);

    auto second = Open();
    SaveCustom(*second, L"1025.5", L"767.5");
    EXPECT_EQ(Stored(kAdapter, L"DefaultSettings.XResolution"), 1026u);
    EXPECT_EQ(Stored(kAdapter, L"DefaultSettings.YResolution"), 768u);

    auto third = Open();
    SaveCustom(*third, L"1000.6", L" 700.4 ");
    EXPECT_EQ(Stored(kAdapter, L"DefaultSettings.XResolution"), 1001u);
    EXPECT_EQ(Stored(kAdapter, L"DefaultSettings.YResolution"), 700u);
}

TEST_F(DisplaySettings, ParseDimensionAcceptsDecimalNumbersThatFitOnly) {
    EXPECT_EQ(frmDisplayResolution::ParseDimension(L"1024"), 1024.0f);
    EXPECT_EQ(frmDisplayResolution::ParseDimension(L" 1024.5 "), 1024.5f);
    EXPECT_EQ(frmDisplayResolution::ParseDimension(L".5"), 0.5f);
    for (const wchar_t* bad :
         {L"", L" ", L"abc", L"12a", L"1,024", L"1e3", L"0x400", L"1024 x", L"--5", L".",
          L"99999999999", L"2147483647", L"123456789012345678901234567890"})
        EXPECT_FALSE(frmDisplayResolution::ParseDimension(bad)) << bad;
    // Single precision: the largest value below 2^31 still fits.
    EXPECT_TRUE(frmDisplayResolution::ParseDimension(L"2147483520"));
    EXPECT_EQ(frmDisplayResolution::RoundHalfEven(1024.5f), 1024);
    EXPECT_EQ(frmDisplayResolution::RoundHalfEven(1025.5f), 1026);
    EXPECT_EQ(frmDisplayResolution::RoundHalfEven(-0.5f), 0);
}

TEST_F(DisplaySettings, NonNumbersAndHugeNumbersGetTheInvalidMessage) {
    SeedAdapter(kAdapter, 1024, 768);
    auto form = Open();
    for (auto [x, y] : std::vector<std::pair<std::wstring, std::wstring>>{
             {L"wide", L"768"}, {L"1024", L""}, {L"99999999999", L"768"}, {L"1024", L"1e9"}}) {
        shell.messages.clear();
        SaveCustom(*form, x, y);
        EXPECT_EQ(shell.LastMessage(), kInvalid) << x << " x " << y;
        EXPECT_TRUE(form->IsLoaded());
    }
    EXPECT_TRUE(registry.writes.empty());
}

TEST_F(DisplaySettings, FirstAdapterWithVolatileSettingsWins) {
    const std::wstring noVolatile = kVideo + L"\\{AAAA}\\0000";
    const std::wstring first = kVideo + L"\\{BBBB}\\0000";
    const std::wstring later = kVideo + L"\\{CCCC}\\0000";
    registry.SetDword(kHkeyLocalMachine, noVolatile, L"DefaultSettings.XResolution", 1600);
    registry.SetDword(kHkeyLocalMachine, noVolatile, L"DefaultSettings.YResolution", 1200);
    registry.CreateKey(kHkeyLocalMachine, kVideo + L"\\{AAAA}\\0001\\VolatileSettings");
    SeedAdapter(first, 1280, 720);
    SeedAdapter(later, 1440, 900);
    auto form = Open();
    EXPECT_EQ(Selected(*form), 3) << "1280 x 720 from the first qualifying adapter";
    form->optRes[0]->UserClick();
    form->cmdSave->UserClick();
    EXPECT_EQ(Stored(first, L"DefaultSettings.XResolution"), 640u);
    EXPECT_EQ(Stored(later, L"DefaultSettings.XResolution"), 1440u);
    EXPECT_EQ(Stored(noVolatile, L"DefaultSettings.XResolution"), 1600u);
}

TEST_F(DisplaySettings, NoDisplayKeyMeansEmptyCustomAndARefusalToSave) {
    registry.CreateKey(kHkeyLocalMachine, kVideo + L"\\{AAAA}\\0000");
    auto form = Open();
    EXPECT_EQ(Selected(*form), 8);
    EXPECT_TRUE(form->txtCustomX->Enabled());
    EXPECT_EQ(form->txtCustomX->Text(), L"");
    EXPECT_EQ(form->txtCustomY->Text(), L"");
    EXPECT_TRUE(shell.messages.empty());

    form->cmdSave->UserClick();
    EXPECT_EQ(shell.LastMessage(), kInvalid) << "empty boxes are no resolution";

    shell.messages.clear();
    form->optRes[2]->UserClick();
    form->cmdSave->UserClick();
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.LastMessage(),
              L"No display adapter settings were found in the registry, so the resolution cannot "
              L"be saved. Settings will not be saved.");
    EXPECT_TRUE(registry.writes.empty());
    EXPECT_TRUE(form->IsLoaded());
}

TEST_F(DisplaySettings, NoVideoKeyAtAllStillOpens) {
    auto form = Open();
    EXPECT_EQ(Selected(*form), 8);
    EXPECT_TRUE(form->chkFullWindowDragging->Value() == 1);
}

TEST_F(DisplaySettings, DragSettingTexts) {
    SeedAdapter(kAdapter, 1024, 768);
    struct Case {
        std::optional<std::wstring> stored;
        int checked;
    } cases[] = {{std::nullopt, 1}, {L"0", 0}, {L"1", 1},      {L"False", 0}, {L"FALSE", 0},
                 {L"2", 1},         {L"", 1},  {L"false ", 1}, {L"00", 1}};
    for (const auto& c : cases) {
        if (c.stored) registry.SetString(kHkeyCurrentUser, kDesktop, L"DragFullWindows", *c.stored);
        auto form = Open();
        EXPECT_EQ(form->chkFullWindowDragging->Value(), c.checked)
            << (c.stored ? *c.stored : L"<absent>");
        shell.UserClose(*form);
    }
}

TEST_F(DisplaySettings, DragSettingIsSavedAsText) {
    SeedAdapter(kAdapter, 1024, 768);
    registry.SetString(kHkeyCurrentUser, kDesktop, L"DragFullWindows", L"1");
    auto form = Open();
    form->chkFullWindowDragging->UserClick();
    form->cmdSave->UserClick();
    auto raw = registry.GetRaw(kHkeyCurrentUser, kDesktop, L"DragFullWindows");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, sysaccess::kRegSz);
    EXPECT_EQ(registry.GetString(kHkeyCurrentUser, kDesktop, L"DragFullWindows"), L"0");

    auto again = Open();
    EXPECT_EQ(again->chkFullWindowDragging->Value(), 0);
    again->chkFullWindowDragging->UserClick();
    again->cmdSave->UserClick();
    EXPECT_EQ(registry.GetString(kHkeyCurrentUser, kDesktop, L"DragFullWindows"), L"1");
}

TEST_F(DisplaySettings, RefusedResolutionWriteNamesTheValueAndStaysOpen) {
    SeedAdapter(kAdapter, 1024, 768);
    registry.MakeReadOnly(kHkeyLocalMachine, kAdapter);
    auto form = Open();
    form->cmdSave->UserClick();
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.LastMessage(),
              L"The display settings were not saved: the registry value "
              L"\"DefaultSettings.XResolution\" in \"HKEY_LOCAL_MACHINE\\" +
                  kAdapter + L"\" could not be written.");
    EXPECT_EQ(shell.messages[0].style, 16);
    EXPECT_TRUE(form->IsLoaded());
    EXPECT_FALSE(registry.HasValue(kHkeyCurrentUser, kDesktop, L"DragFullWindows"));

    registry.MakeReadOnly(kHkeyLocalMachine, kAdapter, false);
    form->cmdSave->UserClick();
    EXPECT_EQ(shell.LastMessage(), kSaved);
    EXPECT_FALSE(form->IsLoaded());
}

TEST_F(DisplaySettings, RefusedDragWriteNamesItAndStaysOpen) {
    SeedAdapter(kAdapter, 1024, 768);
    registry.CreateKey(kHkeyCurrentUser, kDesktop);
    registry.MakeReadOnly(kHkeyCurrentUser, kDesktop);
    auto form = Open();
    form->cmdSave->UserClick();
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_NE(shell.LastMessage().find(L"\"DragFullWindows\" in \"HKEY_CURRENT_USER\\Control "
                                       L"Panel\\Desktop\""),
              std::wstring::npos);
    EXPECT_TRUE(form->IsLoaded());
}

}  // namespace
