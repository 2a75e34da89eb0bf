#pragma once
// One fake operating system with everything a window needs, and a world of it with a windowless
// shell: what native tests drive the windows through. A test seeds what the system reports
// (w.registry, w.objects, ...), opens a window with w.Open, plays the user with Play, and reads
// what the user saw (w.shell.messages) and what the system was asked (the journals, `writes`).
#include <memory>
#include <string>

#include "app/FormCatalog.h"
#include "app/Services.h"
#include "identity/ISystemIdentity.h"
#include "tests/fakes/FakeAutomation.h"
#include "tests/fakes/FakeNetApi.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeSystem.h"
#include "tests/fakes/TestShell.h"

namespace fakes {

constexpr long kAccessDenied = 5;

// The computer's identity as the system reports it, for tests: the answers
// are the fields.
class FakeIdentity : public identity::ISystemIdentity {
  public:
    std::wstring computerName = L"SERVER01";
    bool networkParamsOk = true;
    std::wstring dnsDomain;  // what the network parameters hold
    std::uint32_t joinApiStatus = 0;
    std::wstring joinName = L"WORKGROUP";
    int joinStatus = 2;  // 2 workgroup member, 3 domain member
    std::wstring lastJoinServer;

    std::wstring ComputerName() override { return computerName; }
    bool NetworkDomainName(std::wstring& domain) override {
        if (networkParamsOk) domain = dnsDomain;
        return networkParamsOk;
    }
    std::uint32_t JoinInformation(const std::wstring& server, std::wstring& name,
                                  int& status) override {
        lastJoinServer = server;
        if (joinApiStatus == 0) {
            name = joinName;
            status = joinStatus;
        }
        return joinApiStatus;
    }
};

struct FakeOs {
    FakeSystem system;
    FakeRegistry registry;
    FakeObjects objects;
    FakeIdentity identity;
    FakeNetApi netapi;

    // The services of this system for windows shown by the shell.
    app::Services ServicesFor(ui::Shell& shell) {
        const app::FormCatalog* catalog = &app::FormCatalog::Default();
        return {&shell,  &system,   &system, &system, &registry, &objects,
                &system, &identity, &netapi, &system, catalog,   {}};
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
