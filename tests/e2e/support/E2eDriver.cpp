#include "tests/e2e/support/E2eDriver.h"

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <stdexcept>

namespace e2e {

namespace {

constexpr int kPollMs = 50;
constexpr UINT kSendTimeoutMs = 5000;
constexpr int kFirstMenuCommand = 0x8000;  // as the program numbers its menu items

std::wstring Widen(const char* text) {
    if (!text) return {};
    int size = ::MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 1), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), size);
    wide.resize(wide.size() - 1);
    return wide;
}

std::wstring WithoutAmpersands(const std::wstring& text) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&') {
            if (i + 1 < text.size() && text[i + 1] == L'&') out += L'&', ++i;
            continue;
        }
        out += text[i];
    }
    return out;
}

DWORD ProcessOf(HWND hwnd) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

struct ProcessWindows {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectProcessWindow(HWND hwnd, LPARAM data) {
    auto* search = reinterpret_cast<ProcessWindows*>(data);
    if (ProcessOf(hwnd) == search->pid && ::IsWindowVisible(hwnd)) search->found.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> TopLevelWindowsOf(DWORD pid) {
    ProcessWindows search{pid, {}};
    ::EnumWindows(&CollectProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD size = ::GetTempPathW(MAX_PATH, buffer);
    std::wstring folder(buffer, size);
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder;
}

std::wstring FileName(const std::wstring& path) {
    std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

void CopyInto(const std::wstring& file, const std::wstring& folder) {
    std::wstring target = folder + L"\\" + FileName(file);
    if (!::CopyFileW(file.c_str(), target.c_str(), FALSE))
        throw std::runtime_error("cannot copy " + Narrow(file));
}

void RemoveFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW data{};
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveFolder(path);
            else
                ::DeleteFileW(path.c_str());
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(folder.c_str());
}

// The current environment with the given variables set, as a block for
// CreateProcessW (CREATE_UNICODE_ENVIRONMENT).
std::vector<wchar_t> EnvironmentBlock(
    const std::vector<std::pair<std::wstring, std::wstring>>& overrides) {
    std::vector<std::wstring> entries;
    if (wchar_t* strings = ::GetEnvironmentStringsW()) {
        for (const wchar_t* p = strings; *p; p += wcslen(p) + 1) entries.emplace_back(p);
        ::FreeEnvironmentStringsW(strings);
    }
    auto upper = [](std::wstring s) {
        for (auto& c : s) c = static_cast<wchar_t>(std::towupper(c));
        return s;
    };
    for (const auto& [name, value] : overrides) {
        const std::wstring key = upper(name) + L"=";
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [&](const std::wstring& e) {
                                         return upper(e.substr(0, key.size())) == key;
                                     }),
                      entries.end());
        entries.push_back(name + L"=" + value);
    }
    std::vector<wchar_t> block;
    for (const auto& e : entries) {
        block.insert(block.end(), e.begin(), e.end());
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    return block;
}

}  // namespace

std::string Narrow(const std::wstring& text) {
    int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                     nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size,
                          nullptr, nullptr);
    return out;
}

std::wstring PathFromEnvironment(const char* name) {
    std::wstring path = Widen(std::getenv(name));
    if (!path.empty() && path.front() == L'/') path = L"Z:" + path;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        if (condition()) return true;
        if (::GetTickCount64() >= end) return false;
        ::Sleep(kPollMs);
    }
}

QuillonProcess::QuillonProcess(const LaunchOptions& options) {
    const std::wstring exe = PathFromEnvironment("QUILLON_EXE");
    if (exe.empty()) throw std::runtime_error("QUILLON_EXE is not set");
    static int counter = 0;
    folder_ = TempFolder() + L"quillon-e2e-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
              std::to_wstring(++counter);
    RemoveFolder(folder_);
    if (!::CreateDirectoryW(folder_.c_str(), nullptr))
        throw std::runtime_error("cannot create " + Narrow(folder_));
    CopyInto(exe, folder_);
    const std::wstring standins = PathFromEnvironment("QUILLON_STANDINS");
    if (!standins.empty()) {
        WIN32_FIND_DATAW data{};
        HANDLE find = ::FindFirstFileW((standins + L"\\*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    CopyInto(standins + L"\\" + data.cFileName, folder_);
            } while (::FindNextFileW(find, &data));
            ::FindClose(find);
        }
    }
    for (const std::wstring& file : options.extraFiles) CopyInto(file, folder_);

    const std::wstring program = folder_ + L"\\" + FileName(exe);
    std::wstring commandLine = L"\"" + program + L"\"";
    for (const std::wstring& arg : options.args) commandLine += L" " + arg;
    std::vector<wchar_t> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back(L'\0');
    std::vector<wchar_t> environment = EnvironmentBlock(options.environment);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(program.c_str(), mutableLine.data(), nullptr, nullptr, FALSE,
                          CREATE_UNICODE_ENVIRONMENT, environment.data(), folder_.c_str(), &startup,
                          &info))
        throw std::runtime_error("cannot start " + Narrow(program));
    ::CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    ::WaitForInputIdle(process_, 10000);
}

QuillonProcess::~QuillonProcess() {
    Kill();
    if (process_) ::CloseHandle(process_);
    RemoveFolder(folder_);
}

std::vector<HWND> QuillonProcess::Windows(const std::wstring& caption) const {
    std::vector<HWND> found;
    for (HWND hwnd : TopLevelWindowsOf(processId_))
        if (Text(hwnd) == caption) found.push_back(hwnd);
    return found;
}

HWND QuillonProcess::OpenFromMainMenu(const std::wstring& buttonCaption,
                                      const std::wstring& windowCaption) const {
    HWND main = WaitForWindow(L"Quillon by Varnholt");
    HWND button = main ? FindChild(main, buttonCaption) : nullptr;
    if (!button) return nullptr;
    Click(button);
    return WaitForWindow(windowCaption);
}

HWND QuillonProcess::WaitForWindow(const std::wstring& caption, int timeoutMs) const {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            auto windows = Windows(caption);
            if (!windows.empty()) found = windows.front();
            return found != nullptr || !Running();
        },
        timeoutMs);
    return found;
}

std::optional<MessageBoxInfo> QuillonProcess::CurrentMessageBox() const {
    for (HWND hwnd : TopLevelWindowsOf(processId_)) {
        if (ClassOf(hwnd) != L"#32770") continue;
        MessageBoxInfo box;
        box.hwnd = hwnd;
        box.title = Text(hwnd);
        HWND textControl = ::GetDlgItem(hwnd, 0xFFFF);
        if (textControl) box.text = Text(textControl);
        for (HWND child : ChildrenOfClass(hwnd, L"Static")) {
            if (!textControl && box.text.empty()) box.text = Text(child);
        }
        for (HWND button : ChildrenOfClass(hwnd, L"Button"))
            if (::IsWindowVisible(button)) box.buttons.push_back(Text(button));
        return box;
    }
    return std::nullopt;
}

std::optional<MessageBoxInfo> QuillonProcess::WaitForMessageBox(int timeoutMs) const {
    std::optional<MessageBoxInfo> box;
    WaitUntil(
        [&] {
            box = CurrentMessageBox();
            return box.has_value() || !Running();
        },
        timeoutMs);
    return box;
}

bool QuillonProcess::Running() const {
    return process_ && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool QuillonProcess::WaitForExit(int timeoutMs) const {
    return process_ &&
           ::WaitForSingleObject(process_, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0;
}

DWORD QuillonProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_) ::GetExitCodeProcess(process_, &code);
    return code;
}

void QuillonProcess::Kill() {
    if (!Running()) return;
    ::TerminateProcess(process_, 255);
    ::WaitForSingleObject(process_, 10000);
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    int size = ::GetClassNameW(hwnd, name, 256);
    return std::wstring(name, static_cast<std::size_t>(size > 0 ? size : 0));
}

std::vector<HWND> ChildrenOfClass(HWND parent, const std::wstring& windowClass) {
    std::vector<HWND> found;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (windowClass.empty() || _wcsicmp(ClassOf(child).c_str(), windowClass.c_str()) == 0)
            found.push_back(child);
    return found;
}

HWND FindChild(HWND parent, const std::wstring& caption) {
    for (HWND child : ChildrenOfClass(parent, L""))
        if (Text(child) == caption) return child;
    return nullptr;
}

HWND FindChildByClass(HWND parent, const std::wstring& windowClass, int index) {
    auto children = ChildrenOfClass(parent, windowClass);
    return index >= 0 && static_cast<std::size_t>(index) < children.size()
               ? children[static_cast<std::size_t>(index)]
               : nullptr;
}

std::wstring Text(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                               &length))
        return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                               SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied))
        return {};
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

void SetText(HWND hwnd, const std::wstring& text) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                          SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
}

bool IsChecked(HWND hwnd) {
    DWORD_PTR state = 0;
    ::SendMessageTimeoutW(hwnd, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &state);
    return state == BST_CHECKED;
}

bool IsEnabled(HWND hwnd) { return ::IsWindowEnabled(hwnd) != FALSE; }

bool IsVisible(HWND hwnd) { return ::IsWindowVisible(hwnd) != FALSE; }

void Click(HWND button) { ::PostMessageW(button, BM_CLICK, 0, 0); }

void SetChecked(HWND button, bool checked) {
    if (IsChecked(button) != checked) Click(button);
}

void PostMenuCommand(HWND window, int leafIndex) {
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(kFirstMenuCommand + leafIndex, 0), 0);
}

void Close(HWND window) { ::PostMessageW(window, WM_CLOSE, 0, 0); }

HWND FocusedControl(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

void SendKey(HWND window, UINT virtualKey) {
    HWND target = FocusedControl(window);
    if (!target) target = window;
    const UINT scan = ::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    ::PostMessageW(target, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
    if (virtualKey == VK_RETURN || virtualKey == VK_ESCAPE || virtualKey == VK_TAB)
        ::PostMessageW(target, WM_CHAR,
                       virtualKey == VK_RETURN   ? L'\r'
                       : virtualKey == VK_ESCAPE ? 0x1B
                                                 : L'\t',
                       1 | (scan << 16));
    ::PostMessageW(target, WM_KEYUP, virtualKey, 1 | (scan << 16) | 0xC0000000u);
}

void TypeText(HWND window, const std::wstring& text) {
    HWND target = FocusedControl(window);
    if (!target) target = window;
    for (wchar_t c : text) ::PostMessageW(target, WM_CHAR, c, 1);
}

void PressMessageBoxButton(const MessageBoxInfo& box, const std::wstring& caption) {
    for (HWND button : ChildrenOfClass(box.hwnd, L"Button")) {
        if (WithoutAmpersands(Text(button)) == WithoutAmpersands(caption)) {
            // The box's own command, as a click of that button sends it.
            ::PostMessageW(box.hwnd, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                           reinterpret_cast<LPARAM>(button));
            return;
        }
    }
}

}  // namespace e2e
