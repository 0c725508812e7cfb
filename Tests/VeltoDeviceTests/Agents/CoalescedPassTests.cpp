#include "VeltoDevice/Agents/CoalescedPass.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "ManualClock.hpp"

namespace velto {
namespace {

using testing::AsyncTestLoop;

TEST(CoalescedPass, RequestsDuringARunCollapseIntoOneMoreRun) {
    AsyncTestLoop loop;
    testing::ManualClock clock;
    CoalescedPass pass;
    int runs = 0;
    auto body = [&]() -> boost::asio::awaitable<void> {
        ++runs;
        co_await clock.sleep(std::chrono::seconds(1));
    };
    auto first = loop.spawn(pass.run(body));
    loop.drain();
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(pass.isRunning());

    std::vector<std::shared_ptr<testing::Spawned<void>>> later;
    for (int i = 0; i < 3; ++i)
        later.push_back(loop.spawn(pass.run(body)));
    loop.drain();
    for (const auto& call : later)
        EXPECT_TRUE(call->done) << "returns at once";
    EXPECT_TRUE(pass.isAskedAgain());
    EXPECT_EQ(runs, 1);

    clock.advance(std::chrono::seconds(1));
    loop.drain();
    EXPECT_EQ(runs, 2) << "one more run, by the first caller";
    EXPECT_FALSE(first->done);
    clock.advance(std::chrono::seconds(1));
    loop.drain();
    EXPECT_TRUE(first->done);
    EXPECT_EQ(runs, 2);
    EXPECT_FALSE(pass.isRunning());

    auto again = loop.spawn(pass.run(body));
    loop.drain();
    EXPECT_EQ(runs, 3) << "idle again: the next call runs";
    clock.advance(std::chrono::seconds(1));
    loop.drain();
    EXPECT_TRUE(again->done);
}

TEST(CoalescedPass, ABodyThatThrowsLeavesThePassIdle) {
    AsyncTestLoop loop;
    CoalescedPass pass;
    auto failing = []() -> boost::asio::awaitable<void> {
        throw std::runtime_error("broken");
        co_return;
    };
    EXPECT_THROW(loop.run(pass.run(failing)), std::runtime_error);
    EXPECT_FALSE(pass.isRunning());
    int runs = 0;
    loop.run(pass.run([&]() -> boost::asio::awaitable<void> {
        ++runs;
        co_return;
    }));
    EXPECT_EQ(runs, 1);
}

} // namespace
} // namespace velto
