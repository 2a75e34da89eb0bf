#pragma once
// The services the account windows need, with fakes behind them: a shell
// that records messages, a network management model and scripted directory
// and instrumentation objects. The computer is called SERVER.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/FormCatalog.h"
#include "app/Services.h"
#include "tests/support/FakeAutomation.h"
#include "tests/support/FakeNetApi.h"
#include "tests/support/TestShell.h"

namespace accounts_tests {

struct AccountsFixture : ::testing::Test {
    testing_support::TestShell shell;
    testing_support::FakeNetApi netapi;
    testing_support::FakeObjectBinder binder;
    app::Services services;

    AccountsFixture() {
        services.shell = &shell;
        services.netapi = &netapi;
        services.objects = &binder;
        services.catalog = &app::FormCatalog::Default();
        services.computerNameCache = L"SERVER";
        netapi.computer = L"SERVER";
    }

    std::vector<std::wstring> MessageTexts() const {
        std::vector<std::wstring> texts;
        for (const auto& m : shell.messages) texts.push_back(m.text);
        return texts;
    }

    int CallCount(const std::wstring& api) const {
        return static_cast<int>(netapi.CallsTo(api).size());
    }
};

using Names = std::vector<std::wstring>;

}  // namespace accounts_tests
