#pragma once
// Driving the real quillon.exe from a test, through Win32 messages only.
//
// Starting:
//   e2e::QuillonProcess app;                       // main menu
//   e2e::LaunchOptions options;
//   options.args = {L"/open:frmDcpromo"};
//   options.environment = {{L"NAME", L"value"}};
//   e2e::QuillonProcess dcpromo(options);
// The executable and every file of the stand-in folder (QUILLON_STANDINS) are
// copied into a fresh scratch folder under %TEMP%, which is also the
// process's current folder, so the program finds the stand-ins before the
// system's tools. The destructor kills a process still running and removes
// the folder. Paths from the environment may be Unix paths (under Wine they
// become Z:\...).
//
// Finding windows (all wait by polling, default timeout kTimeoutMs):
//   HWND main = app.WaitForWindow(L"Quillon by Varnholt");  // nullptr on timeout
//   std::vector<HWND> abouts = app.Windows(L"About Quillon");  // visible, top-level
//   HWND ok = e2e::FindChild(window, L"&Enable");  // caption exactly as the program sets it
//   HWND edit = e2e::FindChildByClass(window, L"Edit", 2);  // third edit box, in z-order
//
// Acting (posted, so a message box that the action opens never blocks the test):
//   e2e::Click(button);              // BM_CLICK
//   e2e::SetChecked(checkBox, true); // clicks when the state differs
//   e2e::SetText(edit, L"10.0.0.1"); // WM_SETTEXT (sent, with a timeout); the box reports
//   EN_CHANGE e2e::PostMenuCommand(main, 0);   // the first menu item (leaves numbered depth-first)
//   e2e::Close(window);              // WM_CLOSE, as the title bar's close box
//   e2e::SendKey(window, VK_RETURN); e2e::TypeText(window, L"abc");  // to its focused control
//
// Reading:
//   e2e::Text(hwnd), e2e::IsChecked(hwnd), e2e::IsEnabled(hwnd), e2e::IsVisible(hwnd)
//
// Message boxes (a "#32770" dialog of the process):
//   auto box = app.WaitForMessageBox();      // std::nullopt on timeout
//   box->title, box->text, box->buttons      // e.g. "Quillon", "...", {"OK"}
//   e2e::PressMessageBoxButton(*box, L"Yes"); // by caption, '&' ignored
//
// Ending:
//   app.WaitForExit(ms), app.Running(), app.ExitCode(), app.Kill()
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

constexpr int kTimeoutMs = 20000;

struct LaunchOptions {
    std::vector<std::wstring> args;
    std::vector<std::pair<std::wstring, std::wstring>> environment;
    // Further files copied into the scratch folder beside the stand-ins.
    std::vector<std::wstring> extraFiles;
};

struct MessageBoxInfo {
    HWND hwnd = nullptr;
    std::wstring title;
    std::wstring text;
    std::vector<std::wstring> buttons;
};

class QuillonProcess {
  public:
    // Throws std::runtime_error when the program cannot be started.
    explicit QuillonProcess(const LaunchOptions& options = {});
    ~QuillonProcess();
    QuillonProcess(const QuillonProcess&) = delete;
    QuillonProcess& operator=(const QuillonProcess&) = delete;

    DWORD Id() const { return processId_; }
    const std::wstring& Folder() const { return folder_; }

    // Visible top-level windows of the process with exactly this caption.
    std::vector<HWND> Windows(const std::wstring& caption) const;
    HWND WaitForWindow(const std::wstring& caption, int timeoutMs = kTimeoutMs) const;
    // Presses the main menu's button with that caption (as set, with "&") and
    // waits for the window it opens; nullptr when either is missing.
    HWND OpenFromMainMenu(const std::wstring& buttonCaption,
                          const std::wstring& windowCaption) const;
    // A message box of the process (the newest when several are open).
    std::optional<MessageBoxInfo> WaitForMessageBox(int timeoutMs = kTimeoutMs) const;
    // Whether a message box of the process is open now.
    std::optional<MessageBoxInfo> CurrentMessageBox() const;

    bool Running() const;
    bool WaitForExit(int timeoutMs = kTimeoutMs) const;
    DWORD ExitCode() const;
    void Kill();

  private:
    std::wstring folder_;
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
};

// The path in an environment variable, as a Windows path.
std::wstring PathFromEnvironment(const char* name);

// Polls until the condition holds; false on timeout.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = kTimeoutMs);

HWND FindChild(HWND parent, const std::wstring& caption);
HWND FindChildByClass(HWND parent, const std::wstring& windowClass, int index = 0);
std::vector<HWND> ChildrenOfClass(HWND parent, const std::wstring& windowClass);
std::wstring ClassOf(HWND hwnd);

std::wstring Text(HWND hwnd);
void SetText(HWND hwnd, const std::wstring& text);
bool IsChecked(HWND hwnd);
bool IsEnabled(HWND hwnd);
bool IsVisible(HWND hwnd);

void Click(HWND button);
void SetChecked(HWND button, bool checked);
void PostMenuCommand(HWND window, int leafIndex);
void Close(HWND window);
// The focused control of the window's thread (nullptr when none).
HWND FocusedControl(HWND window);
void SendKey(HWND window, UINT virtualKey);
void TypeText(HWND window, const std::wstring& text);

void PressMessageBoxButton(const MessageBoxInfo& box, const std::wstring& caption);

// For test messages.
std::string Narrow(const std::wstring& text);

}  // namespace e2e
