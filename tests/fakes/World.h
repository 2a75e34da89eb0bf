#pragma once
// One fake operating system with everything a window needs, and a world of
// it with a windowless shell: what native tests drive the windows through.
//
//   fakes::World w;
//   w.registry.SetDword(...);                 // the state the system reports
//   auto form = w.Open<remote::frmTS>(L"frmTS");   // as the main menu opens it
//   form->cmdSave->UserClick();               // the user acts
//   EXPECT_EQ(w.shell.LastMessage(), ...);    // what the user saw
//   EXPECT_EQ(w.system.journal, ...);         // what the system was asked
#include <memory>
#include <string>

#include "app/FormCatalog.h"
#include "app/Services.h"
#include "tests/fakes/FakeAutomation.h"
#include "tests/fakes/FakeIdentity.h"
#include "tests/fakes/FakeNetApi.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeSystem.h"
#include "tests/fakes/TestShell.h"

namespace fakes {

constexpr long kAccessDenied = 5;

struct FakeOs {
    FakeSystem system;
    FakeRegistry registry;
    FakeObjects objects;
    FakeIdentity identity;
    FakeNetApi netapi;

    // The services of this system for windows shown by the shell.
    app::Services ServicesFor(ui::Shell& shell,
                              const app::FormCatalog& catalog = app::FormCatalog::Default()) {
        return {&shell,  &system,   &system, &system, &registry, &objects,
                &system, &identity, &netapi, &system, &catalog,  {}};
    }
    // Every part refuses: no process starts, every registry call and every
    // network management call is denied, every binding fails.
    void FailEverything() {
        system.failEverything = true;
        registry.FailEverything(kAccessDenied);
        objects.FailEverything(L"Access is denied.", static_cast<std::int32_t>(0x80070005u));
        identity.computerName.clear();
        identity.networkParamsOk = false;
        identity.joinApiStatus = kAccessDenied;
        netapi.failAll = kAccessDenied;
    }
};

struct World : FakeOs {
    TestShell shell;
    app::Services services = ServicesFor(shell);

    // Creates, loads and shows a registered window as the main menu does.
    template <typename F>
    std::shared_ptr<F> Open(const std::wstring& name) {
        return std::dynamic_pointer_cast<F>(app::OpenModeless(services, name));
    }
};

}  // namespace fakes
