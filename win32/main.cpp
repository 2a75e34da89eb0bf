// The program: common controls, the system services, the main menu, and the
// message loop that runs until the last window closes. Nothing else happens
// before the main menu paints: COM and the DLLs that only dialogs need are
// loaded by the services the first time a dialog uses them.
#include <windows.h>
// (first: the other system headers need its types)

#include <commctrl.h>

#include <memory>
#include <string>

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
#include "win32/Win32ProgramFinder.h"
#include "win32/Win32Registry.h"
#include "win32/Win32Shell.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                  ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_TREEVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);

    win32::Win32Shell shell(instance);
    win32::Win32Power power;
    win32::Win32ProcessLauncher launcher;
    app::Services services;
    services.shell = &shell;
    services.power = &power;
    services.launcher = &launcher;
    win32::Win32ProgramFinder programs;
    services.programs = &programs;
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

    shell.RunEvent(nullptr, [&services] { app::OpenModeless(services, L"frmUI"); });
    if (shell.LoadedForms().empty()) return 1;
    return shell.Run();
}
