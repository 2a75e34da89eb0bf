#include "tests/fakes/World.h"

namespace fakes {

app::Services FakeOs::ServicesFor(ui::Shell& shell, const app::FormCatalog& catalog) {
    app::Services services;
    services.shell = &shell;
    services.runner = &system;
    services.launcher = &system;
    services.programs = &system;
    services.power = &system;
    services.consoles = &system;
    services.registry = &registry;
    services.objects = &objects;
    services.identity = &identity;
    services.netapi = &netapi;
    services.catalog = &catalog;
    return services;
}

void FakeOs::FailEverything() {
    system.failEverything = true;
    registry.FailEverything(kAccessDenied);
    objects.FailEverything(L"Access is denied.", static_cast<std::int32_t>(0x80070005u));
    identity.computerName.clear();
    identity.networkParamsOk = false;
    identity.joinApiStatus = kAccessDenied;
    netapi.failAll = kAccessDenied;
}

}  // namespace fakes
