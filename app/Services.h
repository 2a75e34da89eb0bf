#pragma once
// Everything a window needs from outside itself. The program fills it with the
// Win32 implementations; tests fill it with fakes.
#include <string>

namespace ui {
class Shell;
}
namespace sysaccess {
class ICommandRunner;
class IProcessLauncher;
class IProgramFinder;
class IRegistryBackend;
class IObjectBinder;
class IConsoleCaptureFactory;
}  // namespace sysaccess
namespace identity {
class ISystemIdentity;
}
namespace accounts {
class INetApi;
}

namespace app {

class IPower;
class FormCatalog;

struct Services {
    ui::Shell* shell = nullptr;
    sysaccess::ICommandRunner* runner = nullptr;
    sysaccess::IProcessLauncher* launcher = nullptr;
    sysaccess::IProgramFinder* programs = nullptr;
    sysaccess::IRegistryBackend* registry = nullptr;
    sysaccess::IObjectBinder* objects = nullptr;
    sysaccess::IConsoleCaptureFactory* consoles = nullptr;
    identity::ISystemIdentity* identity = nullptr;
    accounts::INetApi* netapi = nullptr;
    IPower* power = nullptr;
    const FormCatalog* catalog = nullptr;

    // The computer name, asked of the system once per process (see
    // identity::GetLocalComputerName).
    std::wstring computerNameCache;
};

}  // namespace app
