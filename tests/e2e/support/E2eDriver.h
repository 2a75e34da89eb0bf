#pragma once
// Driving the real quillon.exe through Win32 messages. QuillonProcess starts
// a copy of it (QUILLON_EXE, a Unix path taken as Z:) in a fresh folder with
// the stand-in (standins/standin.cpp) under each tool's name, where it finds
// them before the system's tools. Actions are posted, so a message box never
// blocks the test; waits poll for up to a minute, which the x86 program needs
// where it runs emulated.
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace e2e {

inline bool WaitUntil(const std::function<bool()>& condition) {
    for (const ULONGLONG end = ::GetTickCount64() + 60000; !condition(); ::Sleep(50))
        if (::GetTickCount64() >= end) return false;
    return true;
}

// With a timeout, so that a hung program fails the test instead of stopping it.
inline DWORD_PTR Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return result;
}

inline std::wstring Text(HWND window) {
    std::wstring text(Send(window, WM_GETTEXTLENGTH) + 1, L'\0');
    text.resize(Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    return text;
}

// Children of that class (all when null) in z-order, which is the tab order.
inline std::vector<HWND> Children(HWND parent, const wchar_t* windowClass = nullptr) {
    std::vector<HWND> found;
    for (HWND child = nullptr; (child = ::FindWindowExW(parent, child, windowClass, nullptr));)
        found.push_back(child);
    return found;
}

inline HWND FindChild(HWND parent, const wchar_t* caption) {
    return ::FindWindowExW(parent, nullptr, nullptr, caption);
}
// Sent, so that the box has reported EN_CHANGE before the next action.
inline void SetText(HWND edit, const std::wstring& text) {
    Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
inline void Click(HWND button) { ::PostMessageW(button, BM_CLICK, 0, 0); }
inline void Click(HWND parent, const wchar_t* caption) { Click(FindChild(parent, caption)); }
inline void Close(HWND window) { ::PostMessageW(window, WM_CLOSE, 0, 0); }
// Menu leaves are numbered depth-first from the program's first item id.
inline void PostMenuCommand(HWND window, int leaf) {
    ::PostMessageW(window, WM_COMMAND, 0x8000 + leaf, 0);
}

class QuillonProcess {
  public:
    explicit QuillonProcess(const std::vector<std::wstring>& tools = {},
                            const std::string& reply = {}) {
        namespace fs = std::filesystem;
        const char* program = std::getenv("QUILLON_EXE");
        if (!program) throw std::runtime_error("QUILLON_EXE is not set");
        fs::remove_all(folder_);  // left by a program that outlived the test before
        fs::create_directories(folder_);
        fs::copy_file(program[0] == '/' ? "Z:" + std::string(program) : program,
                      folder_ / "quillon.exe");
        wchar_t self[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        for (const fs::path tool : tools) {
            const bool batch = tool.extension() == ".cmd";  // hands over to the stand-in
            fs::copy_file(fs::path(self).parent_path() / "standin.exe",
                          folder_ / (batch ? "standin.exe" : tool),
                          fs::copy_options::overwrite_existing);
            if (batch)
                std::ofstream(folder_ / tool)
                    << "@\"%~dp0standin.exe\" " << tool.string() << " %*\n";
        }
        std::ofstream(folder_ / "standin-reply.txt") << reply;  // text: lines end in CR LF
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!::CreateProcessW((folder_ / "quillon.exe").c_str(), nullptr, nullptr, nullptr, FALSE,
                              0, nullptr, folder_.c_str(), &startup, &info))
            throw std::runtime_error("cannot start quillon.exe in " + folder_.string());
        ::CloseHandle(info.hThread);
        process_ = info.hProcess;
    }
    ~QuillonProcess() {  // ends the program and removes the folder
        ::TerminateProcess(process_, 255);
        ::WaitForSingleObject(process_, 10000);
        ::CloseHandle(process_);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    QuillonProcess(const QuillonProcess&) = delete;
    QuillonProcess& operator=(const QuillonProcess&) = delete;

    HANDLE Handle() const { return process_; }
    std::vector<std::string> ToolRuns() const {  // the stand-ins' command lines, in order
        std::ifstream file(folder_ / "standin-runs.txt", std::ios::binary);
        std::vector<std::string> runs;
        for (std::string line; std::getline(file, line);)
            runs.push_back(line.substr(0, line.find('\r')));
        return runs;
    }
    // The program's first visible top-level window with that caption and
    // class (any when null); a message box's class is "#32770".
    HWND Find(const wchar_t* caption, const wchar_t* windowClass = nullptr) const {
        for (HWND top = nullptr; (top = ::FindWindowExW(nullptr, top, windowClass, caption));) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(top, &owner);
            if (owner == ::GetProcessId(process_) && ::IsWindowVisible(top)) return top;
        }
        return nullptr;
    }
    HWND WaitFor(const wchar_t* caption, const wchar_t* windowClass = nullptr) const {
        HWND found = nullptr;  // stays so on timeout
        WaitUntil([&] { return (found = Find(caption, windowClass)) != nullptr; });
        return found;
    }
    HWND MainWindow() const { return WaitFor(L"Quillon by Varnholt"); }
    // Clicks the main menu's button (caption with '&') and waits for the window.
    HWND OpenFromMainMenu(const wchar_t* button, const wchar_t* caption) const {
        Click(MainWindow(), button);
        return WaitFor(caption);
    }
    // Waits for a message box, answers it with the button's command (IDOK,
    // IDYES, IDNO) and waits for it to go; its title and text.
    std::wstring Answer(int button) const {
        HWND box = WaitFor(nullptr, L"#32770");
        const std::wstring text = Text(box) + L": " + Text(::GetDlgItem(box, 0xFFFF));
        ::PostMessageW(box, WM_COMMAND, button, 0);
        WaitUntil([&] { return !::IsWindowVisible(box); });
        return text;
    }

  private:
    std::filesystem::path folder_ = std::filesystem::temp_directory_path() /
                                    ("quillon-e2e-" + std::to_string(::GetCurrentProcessId()));
    HANDLE process_ = nullptr;
};

}  // namespace e2e
