#include "display/frmDisplayResolution.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cwctype>
#include <string>
#include <tuple>
#include <vector>

#include "app/FormCatalog.h"
#include "app/Services.h"
#include "sysaccess/TextCase.h"
#include "sysaccess/cRegistry.h"
#include "ui/Shell.h"

namespace display {

namespace {

static app::FormRegistration registration(L"frmDisplayResolution", [](app::Services& services) {
    return ui::NewForm<frmDisplayResolution>(services);
});

struct ResolutionChoice {
    const wchar_t* caption;
    int column;  // 0-based place in the grid
    int row;
};

const ResolutionChoice kChoices[frmDisplayResolution::kResolutionCount] = {
    {L"640 x 480", 0, 0},  {L"800 x 600", 0, 1},   {L"1024 x 768", 0, 2},
    {L"1280 x 720", 1, 0}, {L"1280 x 800", 1, 1},  {L"1280 x 1024", 1, 2},
    {L"1440 x 900", 2, 0}, {L"1600 x 1200", 2, 1}, {L"Custom:", 0, 3},
};

const std::wstring kCustomCaption = L"Custom:";
const std::wstring kSeparator = L" x ";
const std::wstring kXValue = L"DefaultSettings.XResolution";
const std::wstring kYValue = L"DefaultSettings.YResolution";
const std::wstring kDragValue = L"DragFullWindows";

const wchar_t* const kInvalidResolution =
    L"Invalid resolution specified. Settings will not be saved.";
const wchar_t* const kNoDisplayKey =
    L"No display adapter settings were found in the registry, so the resolution cannot be "
    L"saved. Settings will not be saved.";

constexpr int kMinimumWidth = 640;
constexpr int kMinimumHeight = 480;

std::wstring RootName(std::uint32_t root) {
    return root == sysaccess::kHkeyCurrentUser ? L"HKEY_CURRENT_USER" : L"HKEY_LOCAL_MACHINE";
}

// Values that cannot be read, or that are no number, count as 0.
std::int32_t NumberOrZero(const sysaccess::Variant& value) {
    if (!value.IsInteger() && !value.IsText()) return 0;
    try {
        return value.ToInt32();
    } catch (const sysaccess::VbError&) {
        return 0;
    }
}

std::wstring TextOrEmpty(const sysaccess::Variant& value) {
    try {
        return value.ToText();
    } catch (const sysaccess::VbError&) {
        return {};
    }
}

// The pieces of "W x H"; the second is empty when there is no separator.
std::pair<std::wstring, std::wstring> SplitResolution(const std::wstring& text) {
    const std::size_t at = text.find(kSeparator);
    if (at == std::wstring::npos) return {text, L""};
    return {text.substr(0, at), text.substr(at + kSeparator.size())};
}

}  // namespace

frmDisplayResolution::frmDisplayResolution(app::Services& services)
    : ui::Form(*services.shell, L"frmDisplayResolution"), services_(services) {
    SetCaption(L"Display Settings");
    clientWidth = 5775;
    clientHeight = 4440;

    Frame3 = &Add<ui::Frame>(L"Frame3");
    Frame3->SetCaption(L"Display Resolution");
    Frame3->bounds = {120, 120, 5535, 2775};

    for (int i = 0; i < kResolutionCount; ++i) {
        optRes[i] = &Add<ui::OptionButton>(L"optRes", i);
        optRes[i]->SetCaption(kChoices[i].caption);
        optRes[i]->container = Frame3;
        optRes[i]->bounds = {360 + 1800 * kChoices[i].column, 480 + 375 * kChoices[i].row, 1575,
                             315};
        optRes[i]->Click = [this, i] { optRes_Click(i); };
    }

    Label1 = &Add<ui::Label>(L"Label1");
    Label1->SetCaption(L"Width (X):");
    Label1->container = Frame3;
    Label1->bounds = {1080, 1980, 1095, 255};

    txtCustomX = &Add<ui::TextBox>(L"txtCustomX");
    txtCustomX->container = Frame3;
    txtCustomX->bounds = {2280, 1935, 1215, 315};
    txtCustomX->SetEnabled(false);

    Label2 = &Add<ui::Label>(L"Label2");
    Label2->SetCaption(L"Height (Y):");
    Label2->container = Frame3;
    Label2->bounds = {1080, 2400, 1095, 255};

    txtCustomY = &Add<ui::TextBox>(L"txtCustomY");
    txtCustomY->container = Frame3;
    txtCustomY->bounds = {2280, 2355, 1215, 315};
    txtCustomY->SetEnabled(false);

    Frame2 = &Add<ui::Frame>(L"Frame2");
    Frame2->SetCaption(L"Misc");
    Frame2->bounds = {120, 3000, 5535, 735};

    chkFullWindowDragging = &Add<ui::CheckBox>(L"chkFullWindowDragging");
    chkFullWindowDragging->SetCaption(L"Show window contents while dragging (current user only):");
    chkFullWindowDragging->container = Frame2;
    chkFullWindowDragging->bounds = {240, 3300, 5295, 315};

    cmdSave = &Add<ui::Button>(L"cmdSave");
    cmdSave->SetCaption(L"&Save Settings");
    cmdSave->bounds = {1920, 3900, 1935, 375};
    cmdSave->Click = [this] { cmdSave_Click(); };
}

void frmDisplayResolution::Form_Load() { LoadSettings(); }

std::optional<float> frmDisplayResolution::ParseDimension(const std::wstring& text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && std::iswspace(static_cast<wint_t>(text[i]))) ++i;
    std::string number;
    if (i < n && (text[i] == L'+' || text[i] == L'-'))
        number.push_back(static_cast<char>(text[i++]));
    bool digits = false;
    while (i < n && text[i] >= L'0' && text[i] <= L'9') {
        number.push_back(static_cast<char>(text[i++]));
        digits = true;
    }
    if (i < n && text[i] == L'.') {
        number.push_back('.');
        ++i;
        while (i < n && text[i] >= L'0' && text[i] <= L'9') {
            number.push_back(static_cast<char>(text[i++]));
            digits = true;
        }
    }
    while (i < n && std::iswspace(static_cast<wint_t>(text[i]))) ++i;
    if (!digits || i != n) return std::nullopt;

    const float single = std::strtof(number.c_str(), nullptr);
    if (!std::isfinite(single)) return std::nullopt;
    const double rounded = std::nearbyint(static_cast<double>(single));
    if (rounded > static_cast<double>(INT32_MAX) || rounded < static_cast<double>(INT32_MIN))
        return std::nullopt;
    return single;
}

std::int32_t frmDisplayResolution::RoundHalfEven(float value) {
    // The default rounding mode takes halves to the even neighbour.
    return static_cast<std::int32_t>(std::nearbyint(static_cast<double>(value)));
}

std::wstring frmDisplayResolution::FindDisplayKey() {
    const std::wstring video = kVideoKey;
    std::vector<std::wstring> adapters;
    int count = 0;
    try {
        sysaccess::cRegistry reg(*services_.registry);
        reg.SetClassKey(sysaccess::kHkeyLocalMachine);
        reg.SetSectionKey(video);
        reg.EnumerateSections(adapters, count);
    } catch (const sysaccess::VbError&) {
        return {};
    }
    for (const std::wstring& adapter : adapters) {
        sysaccess::cRegistry probe(*services_.registry);
        probe.SetClassKey(sysaccess::kHkeyLocalMachine);
        probe.SetSectionKey(video + L"\\" + adapter + L"\\0000\\VolatileSettings");
        if (probe.KeyExists()) return video + L"\\" + adapter + L"\\0000";
    }
    return {};
}

std::wstring frmDisplayResolution::ReadCurrentResolution() {
    const std::wstring key = FindDisplayKey();
    if (key.empty()) return {};
    sysaccess::cRegistry reg(*services_.registry);
    reg.SetClassKey(sysaccess::kHkeyLocalMachine);
    reg.SetSectionKey(key);
    reg.SetValueType(sysaccess::kRegDword);
    reg.SetValueKey(kXValue);
    const std::int32_t width = NumberOrZero(reg.Value());
    reg.SetValueType(sysaccess::kRegDword);
    reg.SetValueKey(kYValue);
    const std::int32_t height = NumberOrZero(reg.Value());
    return std::to_wstring(width) + kSeparator + std::to_wstring(height);
}

bool frmDisplayResolution::ReadDragSetting() {
    sysaccess::cRegistry reg(*services_.registry);
    reg.SetClassKey(sysaccess::kHkeyCurrentUser);
    reg.SetSectionKey(kDesktopKey);
    reg.SetValueType(sysaccess::kRegSz);
    reg.SetValueKey(kDragValue);
    const std::wstring text = TextOrEmpty(reg.Value());
    return text != L"0" && !sysaccess::EqualsIgnoreCase(text, L"false");
}

void frmDisplayResolution::LoadSettings() {
    const std::wstring current = ReadCurrentResolution();
    int found = -1;
    for (int i = 0; i < kResolutionCount && found < 0; ++i)
        if (optRes[i]->Caption() == current) found = i;

    // Selecting raises the option's click, which enables the custom boxes for
    // "Custom:" only.
    if (found >= 0) {
        optRes[found]->SetValue(true);
    } else {
        // Also where no display key exists: then both boxes stay empty and
        // saving explains why it cannot be done.
        optRes[kCustomIndex]->SetValue(true);
        const auto [width, height] = SplitResolution(current);
        txtCustomX->SetText(width);
        txtCustomY->SetText(height);
    }
    chkFullWindowDragging->SetValue(ReadDragSetting() ? 1 : 0);
}

void frmDisplayResolution::optRes_Click(int index) {
    const bool custom = optRes[index]->Caption() == kCustomCaption;
    txtCustomX->SetEnabled(custom);
    txtCustomY->SetEnabled(custom);
}

bool frmDisplayResolution::WriteValue(std::uint32_t root, const std::wstring& key,
                                      const std::wstring& name, std::int32_t type,
                                      const sysaccess::Variant& value) {
    sysaccess::cRegistry reg(*services_.registry);
    reg.SetClassKey(root);
    reg.SetSectionKey(key);
    reg.SetValueType(type);
    reg.SetValueKey(name);
    try {
        reg.SetValue(value);
        return true;
    } catch (const sysaccess::VbError&) {
        return false;
    }
}

void frmDisplayResolution::ReportRefusedWrite(const std::wstring& saved,
                                              const std::wstring& notSaved, std::uint32_t root,
                                              const std::wstring& key, const std::wstring& name) {
    const std::wstring refused = L"the registry value \"" + name + L"\" in \"" + RootName(root) +
                                 L"\\" + key + L"\" could not be written.";
    GetShell().MsgBox(saved.empty() ? L"The display settings were not saved: " + refused
                                    : L"The display settings were only partly saved: " + saved +
                                          L", but " + notSaved + L": " + refused,
                      ui::kMbIconCritical);
}

bool frmDisplayResolution::SaveResolution() {
    // With no option selected there is no resolution at all.
    std::optional<float> width, height;
    for (ui::OptionButton* option : optRes) {
        if (!option->Value()) continue;
        std::wstring widthText, heightText;
        if (option->Caption() == kCustomCaption) {
            widthText = txtCustomX->Text();
            heightText = txtCustomY->Text();
        } else {
            std::tie(widthText, heightText) = SplitResolution(option->Caption());
        }
        width = ParseDimension(widthText);
        height = ParseDimension(heightText);
        break;
    }
    if (!width || !height || *height < kMinimumHeight || *width < kMinimumWidth) {
        GetShell().MsgBox(kInvalidResolution, ui::kMbOk);
        return false;
    }

    const std::wstring key = FindDisplayKey();
    if (key.empty()) {
        GetShell().MsgBox(kNoDisplayKey, ui::kMbOk);
        return false;
    }
    if (!WriteValue(sysaccess::kHkeyLocalMachine, key, kXValue, sysaccess::kRegDword,
                    sysaccess::Variant(RoundHalfEven(*width)))) {
        ReportRefusedWrite(L"", L"", sysaccess::kHkeyLocalMachine, key, kXValue);
        return false;
    }
    // From here on a refusal leaves something already written, and says what.
    if (!WriteValue(sysaccess::kHkeyLocalMachine, key, kYValue, sysaccess::kRegDword,
                    sysaccess::Variant(RoundHalfEven(*height)))) {
        ReportRefusedWrite(L"the width was saved",
                           L"the height and the window dragging setting were not",
                           sysaccess::kHkeyLocalMachine, key, kYValue);
        return false;
    }
    return true;
}

bool frmDisplayResolution::SaveDragSetting() {
    if (WriteValue(sysaccess::kHkeyCurrentUser, kDesktopKey, kDragValue, sysaccess::kRegSz,
                   sysaccess::Variant(chkFullWindowDragging->Value() == 1 ? L"1" : L"0")))
        return true;
    ReportRefusedWrite(L"the resolution was saved and will take effect after restart",
                       L"the window dragging setting was not", sysaccess::kHkeyCurrentUser,
                       kDesktopKey, kDragValue);
    return false;
}

void frmDisplayResolution::cmdSave_Click() {
    if (!SaveResolution()) return;
    if (!SaveDragSetting()) return;
    GetShell().MsgBox(L"Display Resolution set and will take effect after restart.", ui::kMbOk);
    Unload();
}

}  // namespace display
