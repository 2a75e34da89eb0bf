#include "tests/e2e/support/E2eDriver.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace e2e {

namespace fs = std::filesystem;

QuillonProcess::QuillonProcess(const std::vector<std::wstring>& tools, const std::string& replies) {
    const char* program = std::getenv("QUILLON_EXE");
    if (!program) throw std::runtime_error("QUILLON_EXE is not set");
    folder_ =
        fs::temp_directory_path() / ("quillon-e2e-" + std::to_string(::GetCurrentProcessId()));
    fs::remove_all(folder_);  // left by a program that outlived the test before
    fs::create_directories(folder_);
    fs::copy_file(program[0] == '/' ? "Z:" + std::string(program) : program,
                  folder_ / "quillon.exe");
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const auto standIn = fs::path(self).parent_path() / "standin.exe";
    for (const fs::path tool : tools) {
        const bool batch = tool.extension() == ".cmd";  // hands over to the stand-in
        fs::copy_file(standIn, folder_ / (batch ? "standin.exe" : tool),
                      fs::copy_options::overwrite_existing);
        if (batch)
            std::ofstream(folder_ / tool) << "@\"%~dp0standin.exe\" " << tool.string() << " %*\n";
    }
    std::ofstream(folder_ / "standin-replies.txt", std::ios::binary) << replies;

    std::wstring commandLine = L"\"" + (folder_ / "quillon.exe").wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder_.c_str(), &startup, &info))
        throw std::runtime_error("cannot start quillon.exe in " + folder_.string());
    ::CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
}

QuillonProcess::~QuillonProcess() {
    ::TerminateProcess(process_, 255);
    ::WaitForSingleObject(process_, 10000);
    ::CloseHandle(process_);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

std::vector<std::string> QuillonProcess::ToolRuns() const {
    std::ifstream file(folder_ / "standin-runs.txt", std::ios::binary);
    std::vector<std::string> runs;
    for (std::string line; std::getline(file, line);)
        runs.push_back(line.substr(0, line.find('\r')));
    return runs;
}

std::vector<HWND> QuillonProcess::Windows(const std::wstring& caption,
                                          const std::wstring& windowClass) const {
    std::vector<HWND> found;
    for (HWND top : Children(::GetDesktopWindow(), windowClass)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(top, &owner);
        if (owner == processId_ && ::IsWindowVisible(top) &&
            (caption.empty() || Text(top) == caption))
            found.push_back(top);
    }
    return found;
}

HWND QuillonProcess::WaitForWindow(const std::wstring& caption) const {
    std::vector<HWND> found;
    WaitUntil([&] { return !(found = Windows(caption)).empty(); });
    return found.empty() ? nullptr : found[0];
}

HWND QuillonProcess::OpenFromMainMenu(const std::wstring& button,
                                      const std::wstring& caption) const {
    Click(FindChild(MainWindow(), button));
    return WaitForWindow(caption);
}

MessageBoxInfo QuillonProcess::Answer(const std::wstring& button) const {
    std::vector<HWND> boxes;
    WaitUntil([&] { return !(boxes = Windows(L"", L"#32770")).empty(); });
    HWND box = boxes.empty() ? nullptr : boxes[0];  // nothing below fails on none
    MessageBoxInfo info{Text(box), Text(::GetDlgItem(box, 0xFFFF)), {}};
    for (HWND control : Children(box, L"Button")) {
        std::wstring caption = Text(control);
        std::erase(caption, L'&');
        if (!::IsWindowVisible(control)) continue;
        info.buttons.push_back(caption);
        if (caption == button)  // the command that a click of it sends
            ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), BN_CLICKED),
                           reinterpret_cast<LPARAM>(control));
    }
    WaitUntil([&] { return !::IsWindowVisible(box); });
    return info;
}

DWORD QuillonProcess::WaitForExit() const {
    DWORD code = STILL_ACTIVE;
    ::WaitForSingleObject(process_, 60000);
    ::GetExitCodeProcess(process_, &code);
    return code;
}

bool WaitUntil(const std::function<bool()>& condition) {
    for (const ULONGLONG end = ::GetTickCount64() + 60000; !condition(); ::Sleep(50))
        if (::GetTickCount64() >= end) return false;
    return true;
}

std::vector<HWND> Children(HWND parent, const std::wstring& windowClass) {
    std::vector<HWND> found;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[64] = {};
        ::GetClassNameW(child, name, 64);
        if (windowClass.empty() || _wcsicmp(name, windowClass.c_str()) == 0) found.push_back(child);
    }
    return found;
}

HWND FindChild(HWND parent, const std::wstring& caption) {
    for (HWND child : Children(parent, L""))
        if (Text(child) == caption) return child;
    return nullptr;
}

DWORD_PTR Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return result;
}

std::wstring Text(HWND window) {
    std::wstring text(Send(window, WM_GETTEXTLENGTH) + 1, L'\0');
    text.resize(Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    return text;
}

std::wstring ListItem(HWND list, int index) {
    std::wstring item(Send(list, LB_GETTEXTLEN, index) + 1, L'\0');
    item.resize(Send(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(item.data())));
    return item;
}

bool IsChecked(HWND button) { return Send(button, BM_GETCHECK) == BST_CHECKED; }

void SetText(HWND edit, const std::wstring& text) {
    Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Click(HWND button) { ::PostMessageW(button, BM_CLICK, 0, 0); }

void Close(HWND window) { ::PostMessageW(window, WM_CLOSE, 0, 0); }

void PostMenuCommand(HWND window, int leafIndex) {
    ::PostMessageW(window, WM_COMMAND, 0x8000 + leafIndex, 0);  // the program's first item id
}

void PressAltKey(HWND window, char upperCaseLetter) {
    // The program's message loop turns the key into WM_SYSCHAR for the
    // system's dialog manager, which presses the button with that access key.
    const LPARAM down =
        1 | LPARAM(::MapVirtualKeyW(upperCaseLetter, MAPVK_VK_TO_VSC)) << 16 | 1 << 29;
    ::PostMessageW(window, WM_SYSKEYDOWN, upperCaseLetter, down);
    ::PostMessageW(window, WM_SYSKEYUP, upperCaseLetter, down | LPARAM(0xC0000000u));
}

}  // namespace e2e
