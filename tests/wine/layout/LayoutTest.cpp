// Every window of the program, made by the real Win32 layer over a fake
// system, at 96 DPI and again after it has been moved to a 144-DPI monitor:
// the client area and every control stand where their twips put them, no
// control reaches outside its parent, and no caption is clipped in the
// window's own font. The prefix draws Verdana with DejaVu Sans, whose
// advance widths are close to Verdana's, so what fits here fits on Windows.
// QUILLON_SCREENSHOTS=<folder> saves every window at 96 DPI, and the main
// menu at 144 DPI, as <form>-<dpi>.bmp there (scripts/screenshots.sh).
#include <windows.h>
// (first: the other system headers need its types)

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "accounts/frmChangePassword.h"
#include "app/FormCatalog.h"
#include "identity/frmCredentials.h"
#include "tests/fakes/World.h"
#include "ui/Form.h"
#include "win32/FormWindow.h"
#include "win32/Win32Shell.h"

namespace {

using sysaccess::Variant;
constexpr std::uint32_t kHklm = sysaccess::kHkeyLocalMachine;

// A server worth looking at: features, accounts, a network connection, a
// console that answers with a prompt.
void Furnish(fakes::FakeOs& os) {
    os.registry.SetString(kHklm, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", L"BuildLabEx",
                          L"6001.18000.amd64fre.longhorn_rtm.080118-1840");
    os.system.OnRun(L"oclist",
                    L"Use the listed update names with Ocsetup.exe to install/uninstall a server "
                    L"role or optional feature.\r\n\r\n"
                    L"Not Installed:DHCPServerCore\r\n"
                    L"Installed:DNS-Server-Core-Role\r\n"
                    L"Not Installed:FileServerCore\r\n"
                    L"    |--- Not Installed:DFSN-Server\r\n"
                    L"    |--- Installed:FRS-Infrastructure\r\n"
                    L"Not Installed:IIS-WebServerRole\r\n"
                    L"    |--- Not Installed:IIS-WebServer\r\n"
                    L"    |    |--- Not Installed:IIS-CommonHttpFeatures\r\n");
    os.system.consoles[L"cmd /k"] = {
        {L"Microsoft Windows [Version 6.0.6001]\r\nCopyright (c) "
         L"2006 Microsoft Corporation.  All rights reserved.\r\n\r\n"
         L"C:\\Windows\\system32>"}};
    os.netapi.users = {L"Administrator", L"Guest", L"operator"};
    os.netapi.groups = {{L"Administrators", {L"SERVER\\Administrator", L"CORP\\Domain Admins"}},
                        {L"Remote Desktop Users", {}},
                        {L"Users", {L"SERVER\\operator"}}};

    const std::wstring id = L"{4A1E6F0C-0B7E-4C44-9F50-7F2D3C1B9A10}";
    os.registry.SetString(kHklm,
                          L"SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-"
                          L"08002BE10318}\\" +
                              id + L"\\Connection",
                          L"Name", L"Local Area Connection");
    auto adapter = os.objects.New(L"adapter");
    adapter->Set(L"SettingID", id)
        .Set(L"DHCPEnabled", false)
        .Set(L"IPAddress", Variant::Array{L"10.0.0.20"})
        .Set(L"IPSubnet", Variant::Array{L"255.255.255.0"})
        .Set(L"DefaultIPGateway", Variant::Array{L"10.0.0.1"})
        .Set(L"DNSServerSearchOrder", Variant::Array{L"10.0.0.2", L"10.0.0.3"});
    os.objects.Add(L"winmgmts:{impersonationLevel=impersonate}!\\\\SERVER01\\root\\cimv2")
        ->Query(L"SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True",
                {adapter})
        .Query(L"SELECT * FROM Win32_NetworkAdapterConfiguration WHERE SettingID='" + id + L"'",
               {adapter});
}

std::wstring TextOf(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Why the control's caption does not fit in its own font, or nothing.
std::string Clipped(HWND hwnd, const ui::Control& control, int dpi) {
    const std::wstring text = TextOf(hwnd);
    const ui::ControlKind kind = control.Kind();
    const bool isStatic = kind == ui::ControlKind::Label;
    const bool glyph = kind == ui::ControlKind::CheckBox || kind == ui::ControlKind::OptionButton;
    const bool isButton = glyph || kind == ui::ControlKind::Button;
    if (text.empty() || (!isStatic && !isButton)) return {};
    const LONG style = ::GetWindowLongW(hwnd, GWL_STYLE);
    const bool wraps = (isStatic && (style & SS_TYPEMASK) != SS_LEFTNOWORDWRAP) ||
                       (isButton && (style & BS_MULTILINE));
    RECT client{};
    ::GetClientRect(hwnd, &client);
    int room = client.right;
    if (glyph) room -= ::MulDiv(13 + 4, dpi, 96);          // the box and the gap after it
    if (isButton && !glyph) room -= ::MulDiv(4, dpi, 96);  // a push button's edge

    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old =
        ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    RECT needed{0, 0, room, 0};
    UINT flags = DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE);
    if (isStatic && (style & SS_NOPREFIX)) flags |= DT_NOPREFIX;
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed, flags);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    std::ostringstream why;
    if (needed.right > room)
        why << "needs " << needed.right << " px wide, has " << room;
    else if (!glyph && !(isButton && !wraps) && needed.bottom > client.bottom)
        why << "needs " << needed.bottom << " px high, has " << client.bottom;
    return why.str();
}

void Settle(win32::Win32Shell& shell) {
    for (int i = 0; i < 5; ++i) {
        shell.DoEvents();
        ::Sleep(20);
    }
}

// The window as the screen shows it, as a 24-bit BMP file.
void SaveScreenshot(HWND window, const std::wstring& path) {
    RECT r{};
    ::GetWindowRect(window, &r);
    BITMAPINFOHEADER info{
        sizeof info, r.right - r.left, r.bottom - r.top, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    info.biSizeImage = ((static_cast<DWORD>(info.biWidth) * 3 + 3) & ~3u) * info.biHeight;
    void* pixels = nullptr;
    HDC screen = ::GetDC(nullptr), memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&info),
                                        DIB_RGB_COLORS, &pixels, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, info.biWidth, info.biHeight, screen, r.left, r.top, SRCCOPY);
    ::GdiFlush();
    BITMAPFILEHEADER file{0x4D42, 0, 0, 0, sizeof file + sizeof info};
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(static_cast<const char*>(pixels), info.biSizeImage);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
}

// Moves the window to a monitor of this resolution, as Windows tells it.
void ChangeDpi(HWND window, const ui::Form& form, int dpi) {
    RECT r{0, 0, ui::TwipsToPixels(form.clientWidth, dpi),
           ui::TwipsToPixels(form.clientHeight, dpi)};
    ::AdjustWindowRectEx(&r, static_cast<DWORD>(::GetWindowLongW(window, GWL_STYLE)),
                         ::GetMenu(window) != nullptr,
                         static_cast<DWORD>(::GetWindowLongW(window, GWL_EXSTYLE)));
    ::OffsetRect(&r, 40 - r.left, 40 - r.top);
    ::SendMessageW(window, win32::kWmDpiChanged, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&r));
}

void CheckLayout(win32::Win32Shell& shell, const ui::Form& form, int dpi) {
    win32::FormWindow* record = shell.RecordOf(form);
    ASSERT_NE(record, nullptr);
    ASSERT_EQ(record->Dpi(), dpi);
    RECT client{};
    ::GetClientRect(record->Hwnd(), &client);
    EXPECT_NEAR(client.right, ui::TwipsToPixels(form.clientWidth, dpi), 1) << "client width";
    EXPECT_NEAR(client.bottom, ui::TwipsToPixels(form.clientHeight, dpi), 1) << "client height";
    int checked = 0;
    for (const auto& control : form.Controls()) {
        win32::Peer* peer = record->PeerOf(*control);
        if (!peer || !control->Visible()) continue;
        const HWND hwnd = peer->Hwnd();
        SCOPED_TRACE(control->Name() + L" \"" + TextOf(hwnd) + L"\"");
        RECT r{}, parent{};  // the control within its parent's client area
        ::GetWindowRect(hwnd, &r);
        ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
        ::GetClientRect(::GetParent(hwnd), &parent);
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= parent.right &&
                    r.bottom <= parent.bottom)
            << "outside its parent";
        if (::GetParent(hwnd) == record->Hwnd()) {
            const ui::Bounds& b = control->bounds;
            EXPECT_NEAR(r.left, ui::TwipsToPixels(b.left, dpi), 1) << "left";
            EXPECT_NEAR(r.top, ui::TwipsToPixels(b.top, dpi), 1) << "top";
            EXPECT_NEAR(r.right - r.left, ui::TwipsToPixels(b.width, dpi), 1) << "width";
        }
        const std::string clipped = Clipped(hwnd, *control, dpi);
        EXPECT_TRUE(clipped.empty()) << "clipped: " << clipped;
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

std::shared_ptr<ui::Form> Open(app::Services& services, const std::wstring& name) {
    if (name == L"frmCredentials") {
        auto prompt = ui::NewForm<identity::frmCredentials>(services);
        prompt->SetFormCaption(L"Credentials for CORP domain:");
        services.shell->Show(*prompt);
        return prompt;
    }
    if (name == L"frmChangePassword") {
        auto form = ui::NewForm<accounts::frmChangePassword>(services);
        form->strUserName = L"operator";
        services.shell->Show(*form);
        return form;
    }
    return app::OpenModeless(services, name);
}

TEST(Layout, EveryWindowAt96And144Dpi) {
    fakes::FakeOs os;
    Furnish(os);
    win32::Win32Shell shell;
    app::Services services = os.ServicesFor(shell);
    const char* folder = std::getenv("QUILLON_SCREENSHOTS");
    std::vector<std::wstring> names = app::FormCatalog::Default().Names();
    names.push_back(L"frmCredentials");
    ASSERT_GE(names.size(), 14u);

    for (const std::wstring& name : names) {
        SCOPED_TRACE(name);
        std::shared_ptr<ui::Form> form = Open(services, name);
        ASSERT_TRUE(form && form->IsLoaded());
        const HWND window = shell.WindowOf(*form);
        for (int dpi : {96, 144}) {
            SCOPED_TRACE(dpi);
            if (dpi != 96) ChangeDpi(window, *form, dpi);
            Settle(shell);
            CheckLayout(shell, *form, dpi);
            if (folder && (dpi == 96 || name == L"frmUI")) {
                ::SetCursorPos(0, 0);  // no tool tip in the picture
                ::UpdateWindow(window);
                Settle(shell);
                std::wstring path(folder, folder + std::strlen(folder));
                SaveScreenshot(window, path + L"\\" + name + L"-" + std::to_wstring(dpi) + L".bmp");
            }
        }
        shell.Unload(*form);
        Settle(shell);
    }
}

}  // namespace
