#include <gtest/gtest.h>

#include "app/mdlComputerReboot.h"
#include "tests/native/app/AppFakes.h"

namespace {

using app_test::AppServices;

TEST(ComputerReboot, RequestsRestartThenAlwaysStartsShutdownExeHidden) {
    for (bool accepted : {false, true}) {
        AppServices env;
        env.power.accept = accepted;
        app::RebootComputer(env.services);
        EXPECT_EQ(env.log, (std::vector<std::wstring>{L"ExitWindowsEx 2 0xFFFFFFFF",
                                                      L"start [shutdown.exe -r -t 5] style 0"}));
        EXPECT_TRUE(env.shell.messages.empty());
    }
}

TEST(ComputerReboot, RequestsShutdownThenAlwaysStartsShutdownExeHidden) {
    for (bool accepted : {false, true}) {
        AppServices env;
        env.power.accept = accepted;
        app::ShutdownComputer(env.services);
        EXPECT_EQ(env.log, (std::vector<std::wstring>{L"ExitWindowsEx 1 0xFFFFFFFF",
                                                      L"start [shutdown.exe -s -t 5] style 0"}));
        EXPECT_TRUE(env.shell.messages.empty());
    }
}

TEST(ComputerReboot, ShutdownExeThatCannotStartIsReported) {
    AppServices env;
    env.launcher.startSucceeds = false;
    app::RebootComputer(env.services);
    app::ShutdownComputer(env.services);
    ASSERT_EQ(env.shell.messages.size(), 2u);
    EXPECT_EQ(env.shell.messages[0].text,
              L"Could not start \"shutdown.exe -r -t 5\".\r\nThe computer may not restart.");
    EXPECT_EQ(env.shell.messages[1].text,
              L"Could not start \"shutdown.exe -s -t 5\".\r\nThe computer may not shut down.");
    EXPECT_EQ(env.shell.messages[0].style, ui::kMbIconCritical);
    EXPECT_EQ(env.shell.messages[0].title, L"Quillon");
    EXPECT_EQ(env.log.size(), 4u);  // both steps ran both times
}

}  // namespace
