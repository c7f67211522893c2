// One installer calling the entry points from several threads at once.
#include "ExpectedReport.h"
#include "TestSupport.h"
#include "stubsetup/InstallerLib.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace stubsetup {
namespace {

constexpr int kThreads = 8;
constexpr int kCallsPerThread = 20;

TEST(ConcurrentCalls, ThreadsSavingAtOnceEachLeaveAWholeReport)
{
    test::IsolatedHome home;
    home.environment().set("XDG_DATA_HOME", home.scratch("data"));
    home.environment().set("ORL_APP_ID", "Demo");
    home.environment().set("ORL_APP_INSTALL_PATH", "/opt/app");
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int thread = 0; thread < kThreads; ++thread)
        threads.emplace_back([thread, &failures] {
            const std::string message = "thread " + std::to_string(thread);
            for (int call = 0; call < kCallsPerThread; ++call) {
                char path[16];
                std::uint32_t size = sizeof path;
                failures += SetInstallerExitInfo(thread, message.c_str()) == 1 ? 0 : 1;
                failures += GetAppInstallPath(&size, path) == 1 ? 0 : 1;
            }
        });
    for (std::thread &thread : threads)
        thread.join();

    EXPECT_EQ(failures.load(), 0);
    const std::string folder = home.scratch("data") + "/Corvane/Updater/Install";
    const std::string report = test::ReadFile(folder + "/Demo.irpt");
    bool whole = false;
    for (int thread = 0; thread < kThreads; ++thread)
        whole = whole || report == test::Report(thread, "thread " + std::to_string(thread));
    EXPECT_TRUE(whole) << report;
    EXPECT_EQ(test::FolderEntries(folder), std::set<std::string>{"Demo.irpt"});
}

} // namespace
} // namespace stubsetup
