#pragma once
// Restarting and shutting down the computer. Neither asks for confirmation;
// a caller that wants one asks first.
#include <string>

namespace app {

struct Services;

// The command lines started after the request to the operating system; they
// do the work when that request is refused.
inline constexpr wchar_t kRebootCommandLine[] = L"shutdown.exe -r -t 5";
inline constexpr wchar_t kShutdownCommandLine[] = L"shutdown.exe -s -t 5";

void RebootComputer(Services& services);
void ShutdownComputer(Services& services);

}  // namespace app
