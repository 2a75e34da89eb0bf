// The program: common controls and COM for the thread, the system services,
// the main menu, and the message loop that runs until the last window closes.
#include <windows.h>
// (first: the other system headers need its types)

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "app/FormCatalog.h"
#include "app/Services.h"
#include "ui/Form.h"
#include "win32/Win32Automation.h"
#include "win32/Win32CommandRunner.h"
#include "win32/Win32ConsoleCapture.h"
#include "win32/Win32Identity.h"
#include "win32/Win32NetApi.h"
#include "win32/Win32Power.h"
#include "win32/Win32ProcessLauncher.h"
#include "win32/Win32Registry.h"
#include "win32/Win32Shell.h"

namespace {

class ComApartment {
  public:
    ComApartment() : initialized_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (initialized_) ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

  private:
    bool initialized_;
};

class CommandLineArguments {
  public:
    CommandLineArguments() : argv_(::CommandLineToArgvW(::GetCommandLineW(), &count_)) {}
    ~CommandLineArguments() {
        if (argv_) ::LocalFree(argv_);
    }
    CommandLineArguments(const CommandLineArguments&) = delete;
    CommandLineArguments& operator=(const CommandLineArguments&) = delete;
    std::vector<std::wstring> AfterProgram() const {
        std::vector<std::wstring> args;
        for (int i = 1; argv_ && i < count_; ++i) args.emplace_back(argv_[i]);
        return args;
    }

  private:
    int count_ = 0;
    wchar_t** argv_;
};

// "/open:frmX" opens that window instead of the main menu (used by the
// end-to-end tests to reach windows that the menu does not open).
std::vector<std::wstring> FormsToOpen() {
    const std::wstring prefix = L"/open:";
    std::vector<std::wstring> names;
    for (const std::wstring& arg : CommandLineArguments().AfterProgram())
        if (arg.size() > prefix.size() &&
            _wcsnicmp(arg.c_str(), prefix.c_str(), prefix.size()) == 0)
            names.push_back(arg.substr(prefix.size()));
    if (names.empty()) names.push_back(L"frmUI");
    return names;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                  ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_TREEVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    ComApartment com;

    win32::Win32Shell shell(instance);
    win32::Win32Power power;
    win32::Win32ProcessLauncher launcher;
    app::Services services;
    services.shell = &shell;
    services.power = &power;
    services.launcher = &launcher;
    services.catalog = &app::FormCatalog::Default();
    win32::Win32CommandRunner runner;
    services.runner = &runner;
    win32::Win32RegistryBackend registry;
    services.registry = &registry;
    win32::Win32ObjectBinder objects;
    services.objects = &objects;
    win32::Win32Identity identity;
    services.identity = &identity;
    win32::Win32NetApi netapi;
    services.netapi = &netapi;
    win32::Win32ConsoleCaptureFactory consoles;
    services.consoles = &consoles;

    for (const std::wstring& name : FormsToOpen())
        shell.RunEvent(nullptr, [&services, &name] { app::OpenModeless(services, name); });
    if (shell.LoadedForms().empty()) return 1;
    return shell.Run();
}
