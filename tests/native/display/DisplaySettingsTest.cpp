#include <gtest/gtest.h>

#include <string>

#include "display/frmDisplayResolution.h"
#include "tests/fakes/World.h"

namespace {

using sysaccess::kHkeyCurrentUser;
using sysaccess::kHkeyLocalMachine;
using sysaccess::Variant;

const std::wstring kVideo = L"System\\CurrentControlSet\\Control\\Video";
const std::wstring kActive = kVideo + L"\\{B}\\0000";  // where the resolution is read and written
const std::wstring kDesktop = L"Control Panel\\Desktop";
const std::wstring kX = L"DefaultSettings.XResolution";
const std::wstring kY = L"DefaultSettings.YResolution";
const std::wstring kDrag = L"DragFullWindows";
const Variant kAbsent{};

const std::wstring kSaved = L"Display Resolution set and will take effect after restart.";
const std::wstring kInvalid = L"Invalid resolution specified. Settings will not be saved.";
const std::wstring kNoKey =
    L"No display adapter settings were found in the registry, so the resolution cannot be saved. "
    L"Settings will not be saved.";
const std::wstring kXNotSaved =
    L"The display settings were not saved: the registry value \"DefaultSettings.XResolution\" in "
    L"\"HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Video\\{B}\\0000\" could not be "
    L"written.";
const std::wstring kYPartlySaved =
    L"The display settings were only partly saved: the width was saved, but the height and the "
    L"window dragging setting were not: the registry value \"DefaultSettings.YResolution\" in "
    L"\"HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Video\\{B}\\0000\" could not be "
    L"written.";
const std::wstring kDragPartlySaved =
    L"The display settings were only partly saved: the resolution was saved and will take effect "
    L"after restart, but the window dragging setting was not: the registry value "
    L"\"DragFullWindows\" in \"HKEY_CURRENT_USER\\Control Panel\\Desktop\" could not be written.";

enum class Adapters {
    kOne,         // {B}, the active one
    kSeveral,     // {A} without volatile settings in 0000, then {B}, then {C}
    kNoneActive,  // {A} only, without volatile settings
    kNoVideoKey,
};

// The registry as the display driver leaves it; the resolution given goes to {B}.
void Seed(fakes::FakeRegistry& registry, Adapters adapters, const Variant& x, const Variant& y) {
    const auto adapter = [&](const std::wstring& name, const Variant& x, const Variant& y,
                             const wchar_t* volatileIn) {
        const std::wstring key = kVideo + L"\\" + name;
        registry.MakeKey(kHkeyLocalMachine, key + volatileIn);
        if (x.IsInteger()) registry.SetDword(kHkeyLocalMachine, key + L"\\0000", kX, x.ToInt32());
        if (y.IsInteger()) registry.SetDword(kHkeyLocalMachine, key + L"\\0000", kY, y.ToInt32());
    };
    if (adapters == Adapters::kSeveral || adapters == Adapters::kNoneActive)
        adapter(L"{A}", 1600, 1200, L"\\0001\\VolatileSettings");
    if (adapters == Adapters::kOne || adapters == Adapters::kSeveral)
        adapter(L"{B}", x, y, L"\\0000\\VolatileSettings");
    if (adapters == Adapters::kSeveral) adapter(L"{C}", 1440, 900, L"\\0000\\VolatileSettings");
}

struct LoadCase {
    Adapters adapters;
    Variant x, y, drag;  // as stored
    int selected;
    std::wstring xText, yText;  // the custom boxes are enabled when "Custom:" is selected
    int dragBox;
};

const LoadCase kLoadCases[] = {
    {Adapters::kOne, 1024, 768, kAbsent, 2, L"", L"", 1},
    {Adapters::kOne, 1366, 768, kAbsent, 8, L"1366", L"768", 1},
    {Adapters::kOne, kAbsent, kAbsent, kAbsent, 8, L"0", L"0", 1},
    {Adapters::kSeveral, 640, 480, kAbsent, 0, L"", L"", 1},
    {Adapters::kNoneActive, kAbsent, kAbsent, kAbsent, 8, L"", L"", 1},
    {Adapters::kNoVideoKey, kAbsent, kAbsent, kAbsent, 8, L"", L"", 1},
    // Dragging is off for "0" and for "false" in any letter case only.
    {Adapters::kOne, 1024, 768, L"0", 2, L"", L"", 0},
    {Adapters::kOne, 1024, 768, L"fAlSe", 2, L"", L"", 0},
    {Adapters::kOne, 1024, 768, L"2", 2, L"", L"", 1},
    {Adapters::kOne, 1024, 768, L"", 2, L"", L"", 1},
    {Adapters::kOne, 1024, 768, L"00", 2, L"", L"", 1},
    {Adapters::kOne, 1024, 768, L"false ", 2, L"", L"", 1},
};

TEST(DisplaySettings, StoredSettingsToControls) {
    for (const LoadCase& c : kLoadCases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - kLoadCases);
        fakes::World w;
        Seed(w.registry, c.adapters, c.x, c.y);
        if (c.drag.IsText()) w.registry.SetString(kHkeyCurrentUser, kDesktop, kDrag, c.drag.Text());
        auto form = w.Open<display::frmDisplayResolution>(L"frmDisplayResolution");
        ASSERT_TRUE(form);
        EXPECT_TRUE(form->optRes[c.selected]->Value());
        EXPECT_EQ(form->txtCustomX->Enabled(), c.selected == 8);
        EXPECT_EQ(form->txtCustomY->Enabled(), c.selected == 8);
        EXPECT_EQ(form->txtCustomX->Text(), c.xText);
        EXPECT_EQ(form->txtCustomY->Text(), c.yText);
        EXPECT_EQ(form->chkFullWindowDragging->Value(), c.dragBox);
        EXPECT_TRUE(w.shell.messages.empty());
        EXPECT_TRUE(w.registry.writes.empty());
        EXPECT_EQ(w.registry.OpenKeys(), 0);
    }
}

struct SaveCase {
    Adapters adapters;
    Variant x, y;                    // as stored
    int choose;                      // the option the user picks; -1: none
    const wchar_t *typedX, *typedY;  // typed into the custom boxes unless null
    bool toggleDrag;                 // dragging is stored as absent, so the box starts ticked
    std::wstring refused;            // the value the registry will not let be written
    std::wstring writes;             // "X=… Y=… Drag=…" in order
    std::wstring message;
};

const SaveCase kSaveCases[] = {
    {Adapters::kOne, 1024, 768, -1, nullptr, nullptr, false, L"", L"X=1024 Y=768 Drag=1", kSaved},
    {Adapters::kOne, 1024, 768, 7, nullptr, nullptr, true, L"", L"X=1600 Y=1200 Drag=0", kSaved},
    {Adapters::kOne, 1366, 768, -1, nullptr, nullptr, false, L"", L"X=1366 Y=768 Drag=1", kSaved},
    {Adapters::kOne, 1366, 768, 5, nullptr, nullptr, false, L"", L"X=1280 Y=1024 Drag=1", kSaved},
    {Adapters::kSeveral, 1280, 720, 0, nullptr, nullptr, false, L"", L"X=640 Y=480 Drag=1", kSaved},
    // Custom sizes: at least 640 by 480, halves to the even neighbour, numbers only.
    {Adapters::kOne, 1024, 768, 8, L"640", L"480", false, L"", L"X=640 Y=480 Drag=1", kSaved},
    {Adapters::kOne, 1024, 768, 8, L"800", L"479", false, L"", L"", kInvalid},
    {Adapters::kOne, 1024, 768, 8, L"639", L"600", false, L"", L"", kInvalid},
    {Adapters::kOne, 1024, 768, 8, L"639.9", L"480", false, L"", L"", kInvalid},
    {Adapters::kOne, 1024, 768, 8, L"1024.5", L"767.5", false, L"", L"X=1024 Y=768 Drag=1", kSaved},
    {Adapters::kOne, 1024, 768, 8, L" 1999.6", L"700.04 ", false, L"", L"X=2000 Y=700 Drag=1",
     kSaved},
    {Adapters::kOne, 1024, 768, 8, L"2147483520", L"768", false, L"", L"X=2147483520 Y=768 Drag=1",
     kSaved},
    {Adapters::kOne, 1024, 768, 8, L"2147483647", L"768", false, L"", L"", kInvalid},
    {Adapters::kOne, 1024, 768, 8, L"1024", L"", false, L"", L"", kInvalid},
    {Adapters::kOne, 1024, 768, 8, L"1024", L"1e9", false, L"", L"", kInvalid},
    {Adapters::kOne, 1024, 768, 8, L"wide", L"768", false, L"", L"", kInvalid},
    {Adapters::kOne, 1024, 768, 8, L"+1024", L"768", false, L"", L"X=1024 Y=768 Drag=1", kSaved},
    {Adapters::kOne, 1024, 768, 8, L"1024a", L"768", false, L"", L"", kInvalid},
    {Adapters::kOne, kAbsent, kAbsent, -1, nullptr, nullptr, false, L"", L"", kInvalid},
    // Without an active adapter there is nowhere to write the resolution.
    {Adapters::kNoneActive, kAbsent, kAbsent, -1, nullptr, nullptr, false, L"", L"", kInvalid},
    {Adapters::kNoneActive, kAbsent, kAbsent, 2, nullptr, nullptr, false, L"", L"", kNoKey},
    {Adapters::kNoVideoKey, kAbsent, kAbsent, 2, nullptr, nullptr, false, L"", L"", kNoKey},
    // Refused writes.
    {Adapters::kOne, 1024, 768, -1, nullptr, nullptr, false, kX, L"", kXNotSaved},
    {Adapters::kOne, 1024, 768, -1, nullptr, nullptr, false, kY, L"X=1024", kYPartlySaved},
    {Adapters::kOne, 1024, 768, -1, nullptr, nullptr, false, kDrag, L"X=1024 Y=768",
     kDragPartlySaved},
};

TEST(DisplaySettings, ChoiceToWritesAndMessage) {
    for (const SaveCase& c : kSaveCases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - kSaveCases);
        fakes::World w;
        Seed(w.registry, c.adapters, c.x, c.y);
        if (!c.refused.empty())
            w.registry.Refuse(c.refused == kDrag ? kHkeyCurrentUser : kHkeyLocalMachine,
                              c.refused == kDrag ? kDesktop : kActive, c.refused);
        auto form = w.Open<display::frmDisplayResolution>(L"frmDisplayResolution");
        ASSERT_TRUE(form);

        const std::wstring loadedX = form->txtCustomX->Text();
        if (c.choose >= 0) form->optRes[c.choose]->UserClick();
        EXPECT_EQ(form->txtCustomX->Enabled(), form->optRes[8]->Value());
        EXPECT_EQ(form->txtCustomY->Enabled(), form->optRes[8]->Value());
        EXPECT_EQ(form->txtCustomX->Text(), loadedX) << "choosing keeps the typed text";
        if (c.typedX) {
            form->txtCustomX->UserSetText(c.typedX);
            form->txtCustomY->UserSetText(c.typedY);
        }
        if (c.toggleDrag) form->chkFullWindowDragging->UserClick();
        form->cmdSave->UserClick();

        std::wstring writes, shown;
        for (const auto& write : w.registry.writes) {
            const bool drag = write.name == kDrag;
            EXPECT_EQ(write.path, drag ? L"80000001\\" + kDesktop : L"80000002\\" + kActive);
            EXPECT_EQ(write.type, drag ? sysaccess::kRegSz : sysaccess::kRegDword);
            const std::wstring value =
                drag
                    ? *w.registry.GetString(kHkeyCurrentUser, kDesktop, kDrag)
                    : std::to_wstring(*w.registry.GetDword(kHkeyLocalMachine, kActive, write.name));
            const std::wstring name = drag ? L"Drag" : write.name == kX ? L"X" : L"Y";
            writes += (writes.empty() ? L"" : L" ") + name + L"=" + value;
        }
        EXPECT_EQ(writes, c.writes);
        const bool refusal = c.message != kSaved && c.message != kInvalid && c.message != kNoKey;
        for (const auto& m : w.shell.messages) {
            shown += m.text;
            EXPECT_EQ(m.style, refusal ? ui::kMbIconCritical : ui::kMbOk);
        }
        EXPECT_EQ(shown, c.message);
        EXPECT_EQ(form->IsLoaded(), c.message != kSaved) << "closes once everything is saved";
        EXPECT_EQ(w.registry.OpenKeys(), 0);
    }
}

}  // namespace
