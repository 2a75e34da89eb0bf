// Every window of the real program at the screen's resolution: no caption is
// clipped by its control, and (given a layout recorded at 96 DPI) every
// control sits where its twips put it at this resolution, within 2 pixels of
// its 96-DPI place scaled by DPI/96.
//
//   QUILLON_DPI_RECORD=<file>     writes the layout of every window
//   QUILLON_DPI_REFERENCE=<file>  compares with a layout recorded at 96 DPI
//   QUILLON_SCREENSHOTS=<folder>  saves a picture of every window there
// scripts/dpi-check.sh runs both: at 96 DPI in the build's prefix, then at
// 144 DPI in a copy of it (Wine reads LogPixels when its server starts, so
// the second resolution needs a prefix, and a server, of its own). Without
// either variable only the clipping is checked.
#include <windows.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/support/E2eDriver.h"

namespace {

using e2e::QuillonProcess;

struct WindowUnderTest {
    const wchar_t* form;
    const wchar_t* caption;  // nullptr: the caption depends on the system
};

const WindowUnderTest kWindows[] = {
    {L"frmUI", L"Quillon by Varnholt"},
    {L"frmAbout", L"About Quillon"},
    {L"frmWinRM", L"WinRM"},
    {L"frmFirewall", L"Firewall Configuration"},
    {L"frmTS", L"Remote Desktop Settings"},
    {L"frmDisplayResolution", L"Display Settings"},
    {L"frmRoles", L"Server Features and Roles"},
    {L"frmDcpromo", L"DCPROMO"},
    {L"frmComputerName", L"Computer Name Changes"},
    {L"frmCredentials", L"Credentials for CORP domain:"},
    {L"frmNetworkSettings", L"Network Settings"},
    {L"frmAccountMgmt", L"Account Management"},
    {L"frmNewUser", L"New User"},
    {L"frmChangePassword", nullptr},
};

struct ControlLayout {
    std::wstring windowClass;
    std::wstring text;
    RECT rect{};  // in the client area of its window
};

struct WindowLayout {
    SIZE client{};
    std::vector<ControlLayout> controls;
};

int ScreenDpi() {
    HDC dc = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSX);
    ::ReleaseDC(nullptr, dc);
    return dpi;
}

// The credentials prompt is opened by the Computer Name dialog only.
void AskForCredentials(QuillonProcess& app) {
    HWND dialog = app.WaitForWindow(L"Computer Name Changes");
    if (!dialog) return;
    HWND domainBox = e2e::FindChildByClass(dialog, L"Edit", 1);
    e2e::Click(e2e::FindChild(dialog, L"Domain:"));
    e2e::WaitUntil([&] { return e2e::IsEnabled(domainBox); });
    e2e::SetText(domainBox, L"corp");
    e2e::Click(e2e::FindChild(dialog, L"&OK"));
}

// The window as the screen shows it, as a 24-bit BMP file.
void SaveScreenshot(HWND window, const std::wstring& path) {
    RECT r{};
    ::GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    ::SelectObject(memory, old);
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<char> pixels(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
    ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(e2e::Narrow(path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
}

// The window the program opened for a form (message boxes answered on the way).
HWND OpenedWindow(QuillonProcess& app, const WindowUnderTest& target) {
    if (std::wstring(target.form) == L"frmCredentials") AskForCredentials(app);
    HWND found = nullptr;
    e2e::WaitUntil([&] {
        if (auto box = app.CurrentMessageBox()) {
            e2e::PressMessageBoxButton(*box, L"OK");
            return false;
        }
        if (target.caption) {
            found = app.WaitForWindow(target.caption, 0);
        } else {
            for (HWND top = ::GetTopWindow(nullptr); top; top = ::GetWindow(top, GW_HWNDNEXT)) {
                DWORD pid = 0;
                ::GetWindowThreadProcessId(top, &pid);
                if (pid == app.Id() && ::IsWindowVisible(top) && e2e::ClassOf(top) != L"#32770")
                    found = top;
            }
        }
        return found != nullptr || !app.Running();
    });
    return found;
}

WindowLayout ReadLayout(HWND window) {
    WindowLayout layout;
    RECT client{};
    ::GetClientRect(window, &client);
    layout.client = {client.right, client.bottom};
    struct Walk {
        HWND top;
        WindowLayout* layout;
    } walk{window, &layout};
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM data) -> BOOL {
            auto* w = reinterpret_cast<Walk*>(data);
            if (!::IsWindowVisible(child)) return TRUE;
            ControlLayout control;
            control.windowClass = e2e::ClassOf(child);
            control.text = e2e::Text(child);
            ::GetWindowRect(child, &control.rect);
            ::MapWindowPoints(nullptr, w->top, reinterpret_cast<POINT*>(&control.rect), 2);
            w->layout->controls.push_back(control);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&walk));
    return layout;
}

// The program's fonts, made here: GDI objects cannot cross processes. Every
// window uses Verdana 8.25 pt; the main menu's power buttons and the About
// box's title are bold.
class ProgramFont {
  public:
    ProgramFont(int dpi, bool bold) {
        LOGFONTW font{};
        font.lfHeight = -static_cast<LONG>(std::lround(8.25 * dpi / 72.0));
        font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
        font.lfCharSet = DEFAULT_CHARSET;
        wcscpy_s(font.lfFaceName, L"Verdana");
        font_ = ::CreateFontIndirectW(&font);
    }
    ~ProgramFont() {
        if (font_) ::DeleteObject(font_);
    }
    ProgramFont(const ProgramFont&) = delete;
    ProgramFont& operator=(const ProgramFont&) = delete;
    HFONT get() const { return font_; }

  private:
    HFONT font_ = nullptr;
};

bool IsBoldCaption(const std::wstring& form, const std::wstring& text) {
    return (form == L"frmUI" && (text == L"Shutdown" || text == L"Reboot" || text == L"Exit")) ||
           (form == L"frmAbout" && text == L"Quillon");
}

// Space the text needs inside the control, in pixels, or an empty text when
// it fits.
std::string ClippedText(const std::wstring& form, HWND child, const ControlLayout& control,
                        int dpi) {
    if (control.text.empty()) return {};
    const bool isStatic = _wcsicmp(control.windowClass.c_str(), L"Static") == 0;
    const bool isButton = _wcsicmp(control.windowClass.c_str(), L"Button") == 0;
    if (!isStatic && !isButton) return {};
    const LONG style = ::GetWindowLongW(child, GWL_STYLE);
    if (isStatic && (style & SS_TYPEMASK) > SS_RIGHT && (style & SS_TYPEMASK) != SS_LEFTNOWORDWRAP)
        return {};  // pictures, frames and lines
    const UINT kind = static_cast<UINT>(style & BS_TYPEMASK);
    if (isButton && kind == BS_GROUPBOX) return {};  // the frame's caption sits on its border
    const bool checkGlyph =
        isButton && (kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_RADIOBUTTON ||
                     kind == BS_AUTORADIOBUTTON || kind == BS_3STATE || kind == BS_AUTO3STATE);
    const bool wraps = (isStatic && (style & SS_TYPEMASK) != SS_LEFTNOWORDWRAP) ||
                       (isButton && (style & BS_MULTILINE));
    RECT client{};
    ::GetClientRect(child, &client);
    int room = client.right;
    if (checkGlyph) room -= ::MulDiv(13 + 4, dpi, 96);          // the box and the gap after it
    if (isButton && !checkGlyph) room -= ::MulDiv(4, dpi, 96);  // the push button's edge

    ProgramFont font(dpi, IsBoldCaption(form, control.text));
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, font.get());
    RECT needed{0, 0, room, 0};
    UINT flags = DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE);
    if (isStatic && (style & SS_NOPREFIX)) flags |= DT_NOPREFIX;
    ::DrawTextW(dc, control.text.c_str(), static_cast<int>(control.text.size()), &needed, flags);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);

    std::ostringstream why;
    if (needed.right > room)
        why << "needs " << needed.right << " px wide, has " << room;
    else if (needed.bottom > client.bottom)
        why << "needs " << needed.bottom << " px high, has " << client.bottom;
    return why.str();
}

std::string Key(const std::wstring& form, std::size_t index) {
    return e2e::Narrow(form) + "#" + std::to_string(index);
}

std::map<std::string, std::vector<long>> ReadReference(const std::string& path) {
    std::map<std::string, std::vector<long>> figures;
    std::ifstream in(path);
    std::string key;
    while (in >> key) {
        std::vector<long> values(4);
        for (long& v : values) in >> v;
        figures[key] = values;
    }
    return figures;
}

TEST(Dpi, EveryWindowKeepsItsScaledLayoutAndShowsItsCaptionsWhole) {
    const int dpi = ScreenDpi();
    const char* recordPath = std::getenv("QUILLON_DPI_RECORD");
    const char* referencePath = std::getenv("QUILLON_DPI_REFERENCE");
    std::printf("[dpi] screen at %d DPI\n", dpi);
    std::map<std::string, std::vector<long>> reference;
    if (referencePath) {
        reference = ReadReference(referencePath);
        ASSERT_FALSE(reference.empty()) << "no layout in " << referencePath;
        ASSERT_NE(dpi, 96) << "the comparison needs a screen at another resolution than 96 DPI";
    }
    std::ofstream record;
    if (recordPath) {
        ASSERT_EQ(dpi, 96) << "the reference layout is recorded at 96 DPI";
        record.open(recordPath);
        ASSERT_TRUE(record.is_open()) << recordPath;
    }
    // QUILLON_SCREENSHOTS=<folder>: a picture of every window, as <form>.bmp
    // (scripts/screenshots.sh).
    const std::wstring screenshots = e2e::PathFromEnvironment("QUILLON_SCREENSHOTS");
    const double scale = dpi / 96.0;
    int compared = 0;

    for (const WindowUnderTest& target : kWindows) {
        SCOPED_TRACE(e2e::Narrow(target.form));
        e2e::LaunchOptions options;
        const bool prompt = std::wstring(target.form) == L"frmCredentials";
        options.args = {std::wstring(L"/open:") + (prompt ? L"frmComputerName" : target.form)};
        QuillonProcess app(options);
        HWND window = OpenedWindow(app, target);
        ASSERT_NE(window, nullptr) << "the window did not open";
        ::Sleep(200);
        const WindowLayout layout = ReadLayout(window);
        if (!screenshots.empty()) {
            ::SetCursorPos(0, 0);  // no tool tip in the picture
            ::Sleep(800);          // painted
            SaveScreenshot(window, screenshots + L"\\" + target.form + L".bmp");
        }
        ASSERT_FALSE(layout.controls.empty());

        std::vector<HWND> children;
        ::EnumChildWindows(
            window,
            [](HWND child, LPARAM data) -> BOOL {
                if (::IsWindowVisible(child))
                    reinterpret_cast<std::vector<HWND>*>(data)->push_back(child);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&children));
        ASSERT_EQ(children.size(), layout.controls.size());

        const std::string clientKey = Key(target.form, 0) + "client";
        if (record.is_open())
            record << clientKey << " 0 0 " << layout.client.cx << " " << layout.client.cy << "\n";
        if (!reference.empty()) {
            ASSERT_TRUE(reference.count(clientKey)) << "window missing from the reference";
            const auto& was = reference[clientKey];
            EXPECT_NEAR(layout.client.cx, was[2] * scale, 2.0) << "client width";
            EXPECT_NEAR(layout.client.cy, was[3] * scale, 2.0) << "client height";
        }

        for (std::size_t i = 0; i < layout.controls.size(); ++i) {
            const ControlLayout& control = layout.controls[i];
            const std::string name =
                e2e::Narrow(control.windowClass + L" \"" + control.text + L"\"");
            const std::string clipped = ClippedText(target.form, children[i], control, dpi);
            EXPECT_TRUE(clipped.empty()) << name << " is clipped: " << clipped;

            const RECT& r = control.rect;
            if (record.is_open())
                record << Key(target.form, i + 1) << " " << r.left << " " << r.top << " "
                       << r.right - r.left << " " << r.bottom - r.top << "\n";
            if (reference.empty()) continue;
            const auto it = reference.find(Key(target.form, i + 1));
            ASSERT_NE(it, reference.end()) << name << " is missing from the reference";
            const auto& was = it->second;
            EXPECT_NEAR(r.left, was[0] * scale, 2.0) << name << " left";
            EXPECT_NEAR(r.top, was[1] * scale, 2.0) << name << " top";
            EXPECT_NEAR(r.right - r.left, was[2] * scale, 2.0) << name << " width";
            // A drop-down list's height follows its font, a list box's its
            // whole lines; their tops and widths are still checked.
            const bool heightFromContent =
                _wcsicmp(control.windowClass.c_str(), L"ComboBox") == 0 ||
                _wcsicmp(control.windowClass.c_str(), L"ListBox") == 0;
            if (!heightFromContent)
                EXPECT_NEAR(r.bottom - r.top, was[3] * scale, 2.0) << name << " height";
            ++compared;
        }
    }
    if (!reference.empty()) std::printf("[dpi] %d controls compared with 96 DPI\n", compared);
}

}  // namespace
