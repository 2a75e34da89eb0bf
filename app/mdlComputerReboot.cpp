#include "app/mdlComputerReboot.h"

#include "app/IPower.h"
#include "app/Services.h"
#include "sysaccess/ICommandRunner.h"
#include "ui/Shell.h"

namespace app {

namespace {

constexpr std::uint32_t kReasonUnplanned = 0xFFFFFFFFu;
constexpr int kHidden = 0;

void RequestPowerChange(Services& services, std::uint32_t exitFlags,
                        const std::wstring& commandLine, const std::wstring& whatDoesNotHappen) {
    // The request is made without the shutdown privilege, so it is usually
    // refused; shutdown.exe is started in any case and does the work.
    if (services.power) (void)services.power->RequestExit(exitFlags, kReasonUnplanned);
    const bool started =
        services.launcher && services.launcher->StartDetached(commandLine, kHidden);
    if (!started && services.shell)
        services.shell->MsgBox(L"Could not start \"" + commandLine +
                                   L"\".\r\nThe computer may not " + whatDoesNotHappen + L".",
                               ui::kMbIconCritical);
}

}  // namespace

void RebootComputer(Services& services) {
    RequestPowerChange(services, kEwxReboot, kRebootCommandLine, L"restart");
}

void ShutdownComputer(Services& services) {
    RequestPowerChange(services, kEwxShutdown, kShutdownCommandLine, L"shut down");
}

}  // namespace app
