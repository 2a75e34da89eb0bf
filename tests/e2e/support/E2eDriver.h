#pragma once
// Driving the real quillon.exe from a test, through Win32 messages only.
//
//   e2e::QuillonProcess app({L"netsh.exe"}, "> netsh.exe\r\nOk.\r\n");
// copies the program (QUILLON_EXE, a Unix path taken as Z:) into a fresh
// folder under %TEMP% with the stand-in (standin.exe beside the test) under
// each tool name and the replies (standins/standin.cpp), and starts it there,
// where it finds the stand-ins before the system's tools. Actions are posted,
// so a message box never blocks the test; waits poll for up to a minute,
// which the x86 program needs where it runs emulated.
#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

struct MessageBoxInfo {
    std::wstring title, text;
    std::vector<std::wstring> buttons;  // captions without '&'
};

class QuillonProcess {
  public:
    QuillonProcess(const std::vector<std::wstring>& tools = {}, const std::string& replies = {});
    ~QuillonProcess();  // ends the program and removes the folder
    QuillonProcess(const QuillonProcess&) = delete;
    QuillonProcess& operator=(const QuillonProcess&) = delete;

    DWORD Id() const { return processId_; }
    std::vector<std::string> ToolRuns() const;  // the stand-ins' command lines, in order
    // Visible top-level windows of the program with this caption and class
    // (any when empty); a message box's class is "#32770".
    std::vector<HWND> Windows(const std::wstring& caption,
                              const std::wstring& windowClass = L"") const;
    HWND WaitForWindow(const std::wstring& caption) const;  // nullptr on timeout
    HWND MainWindow() const { return WaitForWindow(L"Quillon by Varnholt"); }
    // Clicks the main menu's button (caption with '&') and waits for the window.
    HWND OpenFromMainMenu(const std::wstring& button, const std::wstring& caption) const;
    // Waits for a message box, presses the button and waits for the box to go.
    MessageBoxInfo Answer(const std::wstring& button) const;
    DWORD WaitForExit() const;  // the exit code, STILL_ACTIVE on timeout

  private:
    std::filesystem::path folder_;
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
};

bool WaitUntil(const std::function<bool()>& condition);
// Children of that class (all when empty) in z-order, which is the tab order.
std::vector<HWND> Children(HWND parent, const std::wstring& windowClass);
HWND FindChild(HWND parent, const std::wstring& caption);
DWORD_PTR Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);  // with a timeout
std::wstring Text(HWND window);
std::wstring ListItem(HWND list, int index);
bool IsChecked(HWND button);
void SetText(HWND edit, const std::wstring& text);  // sent: the box reports EN_CHANGE
void Click(HWND button);
void Close(HWND window);                           // as the title bar's close box
void PostMenuCommand(HWND window, int leafIndex);  // leaves numbered depth-first
void PressAltKey(HWND window, char upperCaseLetter);

}  // namespace e2e
