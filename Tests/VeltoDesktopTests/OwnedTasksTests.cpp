// The main-thread tasks of an object: their errors, their cancellation, their owner.
#include "VeltoDesktop/Model/OwnedTasks.hpp"
#include "VeltoDevice/Support/Latch.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "CapturingLogSink.hpp"
#include "DesktopTestLoop.hpp"

namespace velto {
namespace {

class OwnedTasksTest : public ::testing::Test {
protected:
    std::vector<std::string> errors() const {
        std::vector<std::string> lines;
        for (const auto& line : log->lines()) {
            if (line.level == LogLevel::error)
                lines.push_back(line.category + ": " + line.message);
        }
        return lines;
    }

    std::shared_ptr<testing::CapturingLogSink> log = testing::CapturingLogSink::install();
    testing::DesktopTestLoop loop;
    QObject owner;
    std::optional<OwnedTasks> tasks{std::in_place, owner, loop.mainExecutor(), Logger("app")};
};

TEST_F(OwnedTasksTest, AnErrorThatEndsATaskIsLoggedOnceWithItsOperation) {
    tasks->spawn("refresh the harnesses", []() -> boost::asio::awaitable<void> {
        throw std::runtime_error("The runner is gone.");
        co_return;
    }());
    bool laterRan = false;
    tasks->spawn("announce the hello", [](bool& ran) -> boost::asio::awaitable<void> {
        ran = true;
        co_return;
    }(laterRan));
    loop.drain();

    EXPECT_EQ(errors(), std::vector<std::string>{
                            "app: refresh the harnesses ended with an error: The runner is gone."});
    EXPECT_TRUE(laterRan);
    EXPECT_EQ(tasks->running(), 0u);
}

TEST_F(OwnedTasksTest, DestroyingCancelsEveryRunningTaskWithoutALogLine) {
    Latch never(loop.mainExecutor());
    int resumed = 0;
    auto waiting = [](Latch& latch, int& after) -> boost::asio::awaitable<void> {
        co_await latch.wait();
        ++after;
    };
    tasks->spawn("wait for the runner", waiting(never, resumed));
    tasks->spawn("wait for the updater", waiting(never, resumed));
    loop.drain();
    ASSERT_EQ(tasks->running(), 2u);

    tasks.reset();
    loop.drain();

    EXPECT_EQ(resumed, 0);
    EXPECT_TRUE(errors().empty());
}

TEST_F(OwnedTasksTest, ATaskSpawnedOnceItsOwnerIsGoneNeverRuns) {
    auto doomed = std::make_unique<QObject>();
    OwnedTasks orphaned(*doomed, loop.mainExecutor(), Logger("app"));
    doomed.reset();
    bool ran = false;
    orphaned.spawn("refresh the login item", [](bool& flag) -> boost::asio::awaitable<void> {
        flag = true;
        co_return;
    }(ran));
    loop.drain();

    EXPECT_FALSE(ran);
    EXPECT_EQ(orphaned.running(), 0u);
}

} // namespace
} // namespace velto
