#pragma once
// Sets the resolution that the display driver uses at the next start (the
// default settings of the active adapter's registry key) and the current
// user's "show window contents while dragging" setting.
#include <cstdint>
#include <optional>
#include <string>

#include "sysaccess/Variant.h"
#include "ui/Form.h"

namespace app {
struct Services;
}

namespace display {

class frmDisplayResolution : public ui::Form {
  public:
    static constexpr int kResolutionCount = 9;
    static constexpr int kCustomIndex = 8;

    explicit frmDisplayResolution(app::Services& services);

    void Form_Load() override;

    ui::Frame* Frame3 = nullptr;
    ui::OptionButton* optRes[kResolutionCount] = {};
    ui::Label* Label1 = nullptr;
    ui::TextBox* txtCustomX = nullptr;
    ui::Label* Label2 = nullptr;
    ui::TextBox* txtCustomY = nullptr;
    ui::Frame* Frame2 = nullptr;
    ui::CheckBox* chkFullWindowDragging = nullptr;
    ui::Button* cmdSave = nullptr;

    void optRes_Click(int index);
    void cmdSave_Click();

    static constexpr const wchar_t* kVideoKey = L"System\\CurrentControlSet\\Control\\Video";
    static constexpr const wchar_t* kDesktopKey = L"Control Panel\\Desktop";

    // A width or height as typed (decimal, fractions allowed) in single
    // precision; nullopt when it is no number or would not fit a 32-bit
    // integer once rounded.
    static std::optional<float> ParseDimension(const std::wstring& text);
    // To the nearest integer, halves to the even neighbour.
    static std::int32_t RoundHalfEven(float value);

  private:
    void LoadSettings();
    std::wstring FindDisplayKey();
    std::wstring ReadCurrentResolution();
    bool ReadDragSetting();
    bool SaveResolution();
    bool SaveDragSetting();
    // False when the registry refuses the value.
    bool WriteValue(std::uint32_t root, const std::wstring& key, const std::wstring& name,
                    std::int32_t type, const sysaccess::Variant& value);
    // Names the refused value and, when something was written before it, what
    // was saved and what was not ("the width was saved", "the height ... were
    // not"); empty texts when nothing was written.
    void ReportRefusedWrite(const std::wstring& saved, const std::wstring& notSaved,
                            std::uint32_t root, const std::wstring& key, const std::wstring& name);

    app::Services& services_;
};

}  // namespace display
