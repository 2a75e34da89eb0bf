#pragma once
// A computer called SERVER01 with scripted instrumentation objects, the
// identity answers of a workgroup computer, and a user who answers the
// credentials prompt as the test says.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/IPower.h"
#include "app/Services.h"
#include "identity/frmCredentials.h"
#include "sysaccess/ICommandRunner.h"
#include "tests/support/FakeAutomation.h"
#include "tests/support/FakeIdentity.h"
#include "tests/support/TestShell.h"

namespace identity_tests {

inline const std::wstring kQueryMoniker =
    L"winmgmts:{impersonationLevel=impersonate}!\\\\SERVER01\\root\\cimv2";
inline const std::wstring kInstanceMoniker =
    L"winmgmts:{impersonationLevel=Impersonate}!\\\\SERVER01\\root\\cimv2:Win32_ComputerSystem."
    L"Name='SERVER01'";
inline const std::wstring kComputerSystemQuery = L"Select * from Win32_ComputerSystem";

class RecordingPower : public app::IPower {
  public:
    struct Request {
        std::uint32_t flags;
        std::uint32_t reason;
    };
    std::vector<Request> requests;
    bool RequestExit(std::uint32_t flags, std::uint32_t reason) override {
        requests.push_back({flags, reason});
        return true;
    }
};

class RecordingLauncher : public sysaccess::IProcessLauncher {
  public:
    std::vector<std::wstring> started;
    bool StartDetached(const std::wstring& commandLine, int showWindow) override {
        started.push_back(commandLine + L" /show " + std::to_wstring(showWindow));
        return true;
    }
};

enum class PromptAnswer { Ok, Cancel, CloseBox };

class IdentityFixture : public ::testing::Test {
  protected:
    testing_support::TestShell shell;
    testing_support::FakeObjectBinder binder;
    testing_support::FakeIdentity system;
    RecordingPower power;
    RecordingLauncher launcher;
    app::Services services;

    std::shared_ptr<testing_support::FakeAutoObject> queryConnection;
    std::shared_ptr<testing_support::FakeAutoObject>
        queriedSystem;                                          // the instance ExecQuery returns
    std::shared_ptr<testing_support::FakeAutoObject> instance;  // bound by its own moniker

    PromptAnswer promptAnswer = PromptAnswer::Ok;
    std::wstring typedUser = L"CORP\\admin";
    std::wstring typedPassword = L"Pa55word";
    std::vector<std::wstring> promptCaptions;

    void SetUp() override {
        services.shell = &shell;
        services.objects = &binder;
        services.identity = &system;
        services.power = &power;
        services.launcher = &launcher;
        system.computerName = L"SERVER01";
        system.MakeWorkgroupMember(L"WORKGROUP");

        queryConnection = binder.AddObject(kQueryMoniker);
        queriedSystem = binder.NewObject(L"queried Win32_ComputerSystem");
        queriedSystem->OnCall(L"Rename", sysaccess::Variant(std::int32_t{0}));
        queryConnection->OnQuery(kComputerSystemQuery, {queriedSystem});
        instance = binder.AddObject(kInstanceMoniker);
        instance->OnCall(L"JoinDomainOrWorkGroup", sysaccess::Variant(std::int32_t{0}));
        instance->OnCall(L"UnJoinDomainOrWorkGroup", sysaccess::Variant(std::int32_t{0}));

        shell.onModal = [this](ui::Form& form) {
            auto& prompt = dynamic_cast<identity::frmCredentials&>(form);
            promptCaptions.push_back(prompt.Caption());
            switch (promptAnswer) {
                case PromptAnswer::Ok:
                    prompt.txtUserName->UserSetText(typedUser);
                    prompt.txtPassword->UserSetText(typedPassword);
                    prompt.cmdOK->UserClick();
                    break;
                case PromptAnswer::Cancel:
                    prompt.txtUserName->UserSetText(typedUser);
                    prompt.cmdCancel->UserClick();
                    break;
                case PromptAnswer::CloseBox:
                    prompt.txtUserName->UserSetText(typedUser);
                    shell.UserClose(prompt);
                    break;
            }
        };
    }

    // The Call records of one method on all objects, in order.
    std::vector<testing_support::AutoCall> Calls(const std::wstring& method) const {
        return binder.CallsTo(method);
    }
    int ChangingCalls() const {
        return static_cast<int>(Calls(L"Rename").size() + Calls(L"JoinDomainOrWorkGroup").size() +
                                Calls(L"UnJoinDomainOrWorkGroup").size());
    }
    int OpenPrompts() const {
        return static_cast<int>(shell.FormsOfType<identity::frmCredentials>().size());
    }
};

using V = sysaccess::Variant;
inline V Text(const wchar_t* s) { return V(s); }
inline V Int16(std::int16_t i) { return V(i); }
inline V Int32(std::int32_t i) { return V(i); }

}  // namespace identity_tests
