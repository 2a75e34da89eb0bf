// Every window against an operating system that refuses everything: the
// runner cannot start processes, every registry call is denied, every WMI and
// directory binding, query and method fails, network management answers
// "access denied", the console capture cannot launch, the power request is
// refused. Each window must load, every control must be operable with any
// text a user can type, failures must be reported with the window's own
// messages, and no error may escape to the last-resort guard.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "accounts/INetApi.h"
#include "app/FormCatalog.h"
#include "app/IPower.h"
#include "app/Services.h"
#include "identity/ISystemIdentity.h"
#include "sysaccess/ICommandRunner.h"
#include "sysaccess/IConsoleCapture.h"
#include "sysaccess/IRegistryBackend.h"
#include "sysaccess/VbError.h"
#include "tests/support/FakeAutomation.h"
#include "tests/support/TestShell.h"

namespace {

constexpr long kAccessDenied = 5;
const std::wstring kRunnerFailure =
    L"Failed to create process, check the path of the command line.";

class FailingRunner : public sysaccess::ICommandRunner {
  public:
    std::wstring RunAndCaptureOutput(const std::wstring&, bool out, bool err, bool) override {
        if (!out && !err)
            throw sysaccess::VbError(sysaccess::kErrInvalidArgument, L"CmdOutput",
                                     L"Invalid procedure call or argument");
        return kRunnerFailure;
    }
};

class FailingLauncher : public sysaccess::IProcessLauncher {
  public:
    bool StartDetached(const std::wstring&, int) override { return false; }
};

class FailingRegistry : public sysaccess::IRegistryBackend {
  public:
    long OpenKey(std::uint32_t, const std::wstring&, std::uint32_t,
                 std::unique_ptr<sysaccess::IRegistryKey>&) override {
        return kAccessDenied;
    }
    long CreateKey(std::uint32_t, const std::wstring&, std::uint32_t,
                   std::unique_ptr<sysaccess::IRegistryKey>&) override {
        return kAccessDenied;
    }
    long DeleteKey(std::uint32_t, const std::wstring&) override { return kAccessDenied; }
    std::wstring ExpandEnvironment(const std::wstring& text) override { return text; }
};

class FailingConsole : public sysaccess::IConsoleCapture {
  public:
    std::wstring CommandLine() const override { return {}; }
    std::int32_t ProcessID() const override { return 0; }
    std::int32_t RunProcess(const std::wstring&, const std::optional<std::wstring>&) override {
        throw sysaccess::VbError(sysaccess::kErrConsoleLaunch, sysaccess::kConsoleCaptureSource,
                                 sysaccess::kConsoleLaunchText);
    }
    void Cancel() override {}
    bool Busy() const override { return false; }
};

class FailingConsoleFactory : public sysaccess::IConsoleCaptureFactory {
  public:
    std::unique_ptr<sysaccess::IConsoleCapture> Create() override {
        return std::make_unique<FailingConsole>();
    }
};

class FailingIdentity : public identity::ISystemIdentity {
  public:
    std::wstring ComputerName() override { return {}; }
    bool NetworkDomainName(std::wstring&) override { return false; }
    std::uint32_t JoinInformation(const std::wstring&, std::wstring&, int&) override {
        return kAccessDenied;
    }
};

class FailingNetApi : public accounts::INetApi {
  public:
    accounts::NamePage UserEnum(const std::wstring&, std::uint32_t, std::uint32_t,
                                std::uintptr_t&) override {
        return Denied();
    }
    accounts::NamePage LocalGroupEnum(const std::wstring&, std::uint32_t,
                                      std::uintptr_t&) override {
        return Denied();
    }
    accounts::NamePage LocalGroupGetMembers(const std::wstring&, const std::wstring&, std::uint32_t,
                                            std::uintptr_t&) override {
        return Denied();
    }
    std::uint32_t LocalGroupAddMember(const std::wstring&, const std::wstring&) override {
        return kAccessDenied;
    }
    std::uint32_t LocalGroupDelMember(const std::wstring&, const std::wstring&) override {
        return kAccessDenied;
    }

  private:
    static accounts::NamePage Denied() {
        accounts::NamePage page;
        page.status = kAccessDenied;
        return page;
    }
};

class FailingPower : public app::IPower {
  public:
    bool RequestExit(std::uint32_t, std::uint32_t) override { return false; }
};

// Texts a user can type: nothing, plausible values, and hostile input.
const std::vector<std::wstring>& TypedTexts() {
    static const std::vector<std::wstring> texts = {
        L"",
        L"10.0.0.1",
        L"1024",
        L"   ",
        L"N\u00e4me \u6f22\u5b57 ' \\ & | < > ^ % \" ; --",
        std::wstring(L"a\tb\r\nc\x01\x7f\0z", 10),
        std::wstring(70000, L'9'),
    };
    return texts;
}

struct World {
    testing_support::TestShell shell;
    FailingRunner runner;
    FailingLauncher launcher;
    FailingRegistry registry;
    testing_support::FakeObjectBinder objects;
    FailingConsoleFactory consoles;
    FailingIdentity identity;
    FailingNetApi netapi;
    FailingPower power;
    app::Services services;

    World() {
        objects.FailEverything(L"Access is denied.", static_cast<std::int32_t>(0x80070005u));
        services.shell = &shell;
        services.runner = &runner;
        services.launcher = &launcher;
        services.registry = &registry;
        services.objects = &objects;
        services.consoles = &consoles;
        services.identity = &identity;
        services.netapi = &netapi;
        services.power = &power;
        services.catalog = &app::FormCatalog::Default();
        // Modal prompts are answered with OK after typing into them; their
        // own failures are part of what is checked.
        shell.onModal = [](ui::Form& modal) {
            for (const auto& c : modal.Controls())
                if (c->Kind() == ui::ControlKind::TextBox)
                    static_cast<ui::TextBox&>(*c).UserSetText(L"admin");
            if (ui::Button* ok = modal.DefaultButton()) ok->UserClick();
            if (modal.IsLoaded() && modal.IsVisible()) modal.Unload();
        };
        // Restart questions are answered Yes, so the power path runs too.
        shell.onMessage = [this](const testing_support::ShownMessage& m) {
            if ((m.style & 0xF) == ui::kMbYesNo) shell.answers.push_front(ui::kIdYes);
        };
    }
};

bool Escaped(const testing_support::ShownMessage& m) {
    return m.text.rfind(L"Unexpected error", 0) == 0 || m.text.rfind(L"Run-time error", 0) == 0;
}

// Operates one control as the user would.
void Operate(ui::Control& control) {
    switch (control.Kind()) {
        case ui::ControlKind::Button:
            static_cast<ui::Button&>(control).UserClick();
            break;
        case ui::ControlKind::CheckBox:
            static_cast<ui::CheckBox&>(control).UserClick();
            break;
        case ui::ControlKind::OptionButton:
            static_cast<ui::OptionButton&>(control).UserClick();
            break;
        case ui::ControlKind::ComboBox:
        case ui::ControlKind::ListBox: {
            auto& list = static_cast<ui::ListControl&>(control);
            if (list.ListCount() > 0) list.UserSelect(list.ListCount() - 1);
            break;
        }
        case ui::ControlKind::Tree: {
            auto& tree = static_cast<ui::TreeView&>(control);
            if (tree.Count() > 0) tree.UserToggleCheck(*tree.Node(1));
            break;
        }
        default:
            break;
    }
}

bool Operable(const ui::Control& c) {
    switch (c.Kind()) {
        case ui::ControlKind::Button:
        case ui::ControlKind::CheckBox:
        case ui::ControlKind::OptionButton:
        case ui::ControlKind::ComboBox:
        case ui::ControlKind::ListBox:
        case ui::ControlKind::Tree:
            return true;
        default:
            return false;
    }
}

struct Outcome {
    std::set<std::wstring> messages;
    std::vector<std::wstring> escaped;
    int runs = 0;
};

// For every operable control and every typed text: a fresh window, every
// enabled text box filled with the text, every check box ticked once, then
// the control operated.
Outcome Exercise(const std::wstring& formName) {
    Outcome outcome;
    for (const std::wstring& text : TypedTexts()) {
        for (std::size_t target = 0;; ++target) {
            World world;
            auto form = world.services.catalog->Create(formName, world.services);
            if (!form) {
                ADD_FAILURE() << "not registered";
                return outcome;
            }
            world.shell.RunEvent(form.get(), [&] {
                form->Load();
                if (form->IsLoaded()) form->Show();
            });
            // What the user can do: operate a control, or choose a menu item.
            std::vector<std::function<void()>> operable;
            for (ui::Control* c : form->TabOrder())
                if (Operable(*c)) operable.push_back([c] { Operate(*c); });
            for (const ui::MenuItem& menu : form->menus)
                for (const ui::MenuItem& item : menu.items)
                    operable.push_back([&world, &form, &item] {
                        world.shell.RunEvent(form.get(), [&item] {
                            if (item.Click) item.Click();
                        });
                    });
            if (target >= operable.size() && !(target == 0 && operable.empty())) break;
            for (ui::Control* c : form->TabOrder()) {
                if (!form->IsLoaded()) break;
                if (c->Kind() == ui::ControlKind::TextBox)
                    static_cast<ui::TextBox*>(c)->UserSetText(text);
            }
            for (ui::Control* c : form->TabOrder()) {
                if (!form->IsLoaded()) break;
                if (c->Kind() == ui::ControlKind::CheckBox &&
                    static_cast<ui::CheckBox*>(c)->Value() == 0)
                    static_cast<ui::CheckBox*>(c)->UserClick();
            }
            if (target < operable.size() && form->IsLoaded()) operable[target]();
            if (form->IsLoaded()) world.shell.UserClose(*form);
            // Windows opened from this one (New User, Set Password, About) go too.
            for (const auto& other : world.shell.LoadedForms()) world.shell.UserClose(*other);
            ++outcome.runs;
            for (const auto& m : world.shell.messages) {
                outcome.messages.insert(m.text);
                if (Escaped(m)) outcome.escaped.push_back(m.text);
            }
            if (operable.empty()) break;
        }
    }
    return outcome;
}

struct Expectation {
    std::wstring form;
    // Each must begin at least one message shown during the exercise.
    std::vector<std::wstring> reported;
};

const std::vector<Expectation>& Table() {
    static const std::vector<Expectation> table = {
        {L"frmUI",
         {L"Could not start \"shutdown.exe -r -t 5\"", L"Could not start \"shutdown.exe -s -t 5\"",
          L"Could not start the time and date settings"}},
        {L"frmAbout", {}},
        {L"frmWinRM", {L"Failed to enable WinRM", L"Failed to disable WinRM"}},
        {L"frmFirewall",
         {L"\"Remote Administration\" could not be enabled:\r\n\r\n" + kRunnerFailure,
          L"10 of 10 selected firewall rule groups could not be enabled.",
          L"10 of 10 selected firewall rule groups could not be disabled."}},
        {L"frmTS", {L"The Remote Desktop settings were not saved"}},
        {L"frmDisplayResolution",
         {L"Invalid resolution specified. Settings will not be saved.",
          L"No display adapter settings were found in the registry"}},
        {L"frmRoles", {}},
        {L"frmDcpromo",
         {L"\"cmd /k\" could not be run: An error occured while launching the process"}},
        {L"frmComputerName",
         {L"Failed to change the computer name. The error was: Access is denied."}},
        {L"frmNetworkSettings", {L"Failed to read the network settings. Access is denied."}},
        {L"frmAccountMgmt", {}},
        {L"frmNewUser",
         {L"Username is missing",
          L"Failed to create user account. The error was: Access is denied."}},
        {L"frmChangePassword", {L"Password change failed. The error was: "}},
    };
    return table;
}

TEST(FaultInjection, EveryWindowSurvivesAFailingSystem) {
    std::set<std::wstring> registered;
    for (const auto& name : app::FormCatalog::Default().Names()) registered.insert(name);
    for (const Expectation& row : Table()) {
        SCOPED_TRACE(std::string(row.form.begin(), row.form.end()));
        ASSERT_TRUE(registered.count(row.form)) << "window missing from the catalog";
        registered.erase(row.form);
        Outcome outcome = Exercise(row.form);
        EXPECT_GT(outcome.runs, 0);
        for (const auto& text : outcome.escaped)
            ADD_FAILURE() << "error escaped to the guard: "
                          << std::string(text.begin(), text.end());
        for (const auto& expected : row.reported) {
            bool found = false;
            for (const auto& m : outcome.messages) found = found || m.rfind(expected, 0) == 0;
            EXPECT_TRUE(found) << "never reported: "
                               << std::string(expected.begin(), expected.end());
        }
    }
    for (const auto& name : registered)
        ADD_FAILURE() << "window not covered: " << std::string(name.begin(), name.end());
}

}  // namespace
