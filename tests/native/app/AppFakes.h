#pragma once
// Fakes for the main menu's tests: the power request and the process
// launcher write into one shared log, so the order of the calls shows.
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/FormCatalog.h"
#include "app/IPower.h"
#include "app/Services.h"
#include "sysaccess/ICommandRunner.h"
#include "tests/support/TestShell.h"
#include "ui/Form.h"

namespace app_test {

class RecordingPower : public app::IPower {
  public:
    explicit RecordingPower(std::vector<std::wstring>& log) : log_(log) {}
    bool RequestExit(std::uint32_t flags, std::uint32_t reason) override {
        std::wostringstream entry;
        entry << L"ExitWindowsEx " << flags << L" 0x" << std::hex << std::uppercase << reason;
        log_.push_back(entry.str());
        return accept;
    }
    bool accept = false;

  private:
    std::vector<std::wstring>& log_;
};

class RecordingLauncher : public sysaccess::IProcessLauncher {
  public:
    explicit RecordingLauncher(std::vector<std::wstring>& log) : log_(log) {}
    bool StartDetached(const std::wstring& commandLine, int showWindow) override {
        log_.push_back(L"start [" + commandLine + L"] style " + std::to_wstring(showWindow));
        return startSucceeds;
    }
    bool startSucceeds = true;

  private:
    std::vector<std::wstring>& log_;
};

// Stands for a dialog of the main menu, under whatever name it is registered.
class ProbeDialog : public ui::Form {
  public:
    ProbeDialog(ui::Shell& shell, const std::wstring& name) : ui::Form(shell, name) {}
    void Form_Load() override { ++loads; }
    int loads = 0;
};

struct AppServices {
    testing_support::TestShell shell;
    std::vector<std::wstring> log;
    RecordingPower power{log};
    RecordingLauncher launcher{log};
    app::FormCatalog catalog;
    app::Services services;

    AppServices() {
        services.shell = &shell;
        services.power = &power;
        services.launcher = &launcher;
        services.catalog = &catalog;
    }

    void RegisterProbe(const std::wstring& name) {
        catalog.Add(name,
                    [name](app::Services& s) { return ui::NewForm<ProbeDialog>(*s.shell, name); });
    }

    std::vector<std::shared_ptr<ProbeDialog>> Probes(const std::wstring& name) const {
        std::vector<std::shared_ptr<ProbeDialog>> found;
        for (const auto& p : shell.FormsOfType<ProbeDialog>())
            if (p->Name() == name) found.push_back(p);
        return found;
    }
};

}  // namespace app_test
