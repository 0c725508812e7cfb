#include "VeltoDevice/Support/SystemClock.hpp"

#include <boost/asio/cancellation_signal.hpp>
#include <boost/asio/this_coro.hpp>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "ManualClock.hpp"

namespace velto {
namespace {

using namespace std::chrono_literals;
using testing::AsyncTestLoop;
using testing::ManualClock;

/// A clock with only `sleep` of its own, so the interface's cancellable wait is the one tested.
class SleepOnlyClock final : public Clock {
public:
    Instant now() const override { return inner_.now(); }
    boost::asio::awaitable<void> sleep(Duration duration) override { return inner_.sleep(duration); }

private:
    ManualClock inner_;
};

/// Notes what it saw of a cancelled wait and of one begun after the cancellation.
boost::asio::awaitable<void> waitTwice(std::shared_ptr<Clock> clock,
                                       std::shared_ptr<std::vector<std::string>> steps) {
    bool slept = co_await clock->sleepUnlessCancelled(24h);
    steps->push_back(slept ? "slept" : "cancelled");
    // Otherwise the next co_await itself throws, before the clock is reached.
    co_await boost::asio::this_coro::throw_if_cancelled(false);
    slept = co_await clock->sleepUnlessCancelled(24h);
    steps->push_back(slept ? "slept" : "cancelled");
}

TEST(Clock, ACancelledWaitEndsWithFalseAndALaterOneAtOnce) {
    struct Case {
        std::string name;
        std::shared_ptr<Clock> clock;
    };
    const std::vector<Case> cases = {
        {"system", std::make_shared<SystemClock>()},
        {"manual", std::make_shared<ManualClock>()},
        {"sleep only", std::make_shared<SleepOnlyClock>()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AsyncTestLoop loop;
        boost::asio::cancellation_signal signal;
        auto steps = std::make_shared<std::vector<std::string>>();
        auto waited = loop.spawn(waitTwice(c.clock, steps), signal.slot());
        loop.drain();
        EXPECT_TRUE(steps->empty());
        signal.emit(boost::asio::cancellation_type::terminal);
        loop.drain();
        ASSERT_TRUE(waited->done);
        EXPECT_FALSE(waited->error);
        EXPECT_EQ(*steps, (std::vector<std::string>{"cancelled", "cancelled"}));
    }
}

TEST(Clock, AWaitThatRunsOutIsTrue) {
    AsyncTestLoop loop;
    auto clock = std::make_shared<ManualClock>();
    auto waited = loop.spawn(clock->sleepUnlessCancelled(2s));
    loop.drain();
    clock->advance(2s);
    loop.drain();
    ASSERT_TRUE(waited->done);
    EXPECT_TRUE(waited->get());
    EXPECT_TRUE(loop.run(SystemClock().sleepUnlessCancelled(0s)));
}

} // namespace
} // namespace velto
