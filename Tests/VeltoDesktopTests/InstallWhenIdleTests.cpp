// The idle events of the runner as they let the updater install.
#include "VeltoDesktop/Model/InstallWhenIdle.hpp"
#include "VeltoDevice/Support/LoggedCompletion.hpp"

#include <boost/asio/co_spawn.hpp>
#include <gtest/gtest.h>

#include <stdexcept>

#include "CapturingLogSink.hpp"
#include "DesktopTestLoop.hpp"

namespace velto {
namespace {

TEST(InstallWhenIdleTest, AFailedInstallIsLoggedAndTheNextIdleEventInstallsAgain) {
    auto log = testing::CapturingLogSink::install();
    testing::DesktopTestLoop loop;
    NewestStream<JobRunnerControl::Event> idle{1};
    int installs = 0;
    bool ended = false;
    boost::asio::co_spawn(loop.deviceExecutor(),
                          installWhenIdle(idle.reader(),
                                          [&installs]() -> boost::asio::awaitable<void> {
                                              if (++installs == 1)
                                                  throw std::runtime_error("The staging folder is gone.");
                                              co_return;
                                          }),
                          [&ended](const std::exception_ptr& error) {
                              EXPECT_FALSE(error);
                              ended = true;
                          });
    loop.drain();

    idle.push({});
    loop.drain();
    EXPECT_EQ(installs, 1);
    EXPECT_EQ(log->messages("update"),
              std::vector<std::string>{
                  "installing once the jobs were idle ended with an error: The staging folder is gone."});

    idle.push({});
    loop.drain();
    EXPECT_EQ(installs, 2) << "one failure does not stop later installs";
    EXPECT_EQ(log->messages("update").size(), 1u);

    idle.finish();
    loop.drain();
    EXPECT_TRUE(ended);
}

} // namespace
} // namespace velto
