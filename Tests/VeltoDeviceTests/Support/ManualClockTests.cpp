#include <boost/asio/experimental/awaitable_operators.hpp>
#include <boost/system/system_error.hpp>
#include <gtest/gtest.h>

#include "AsyncTestLoop.hpp"
#include "ManualClock.hpp"

namespace velto::testing {
namespace {

using namespace std::chrono_literals;
using namespace boost::asio::experimental::awaitable_operators;

TEST(ManualClock, SleepersWakeOnlyWhenTheirDeadlineComes) {
    AsyncTestLoop loop;
    ManualClock clock;
    auto sleeper = loop.spawn(clock.sleep(30s));
    loop.drain();
    clock.advance(29s);
    loop.drain();
    EXPECT_FALSE(sleeper->done);
    clock.advance(1s);
    loop.drain();
    ASSERT_TRUE(sleeper->done);
    EXPECT_NO_THROW(sleeper->get());
    EXPECT_EQ(clock.sleeperCount(), 0u);
}

TEST(ManualClock, TheLoserOfARaceIsCancelled) {
    AsyncTestLoop loop;
    ManualClock clock;
    auto race = [&]() -> boost::asio::awaitable<std::size_t> {
        auto winner = co_await (clock.sleep(1s) || clock.sleep(5s));
        co_return winner.index();
    };
    auto outcome = loop.spawn(race());
    loop.drain();
    EXPECT_EQ(clock.sleeperCount(), 2u);
    clock.advance(1s);
    loop.drain();
    ASSERT_TRUE(outcome->done);
    EXPECT_EQ(outcome->get(), 0u);
    EXPECT_EQ(clock.sleeperCount(), 0u);
}

} // namespace
} // namespace velto::testing
