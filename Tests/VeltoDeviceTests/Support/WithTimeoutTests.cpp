#include "VeltoDevice/Support/Error.hpp"
#include "VeltoDevice/Support/WithTimeout.hpp"

#include <boost/asio/bind_cancellation_slot.hpp>
#include <boost/asio/cancellation_signal.hpp>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/error.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>
#include <boost/system/system_error.hpp>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "AsyncTestLoop.hpp"
#include "ManualClock.hpp"

namespace velto {
namespace {

using namespace std::chrono_literals;
using testing::AsyncTestLoop;
using testing::ManualClock;

/// The error the race is given for its time-out.
struct TimedOut : Error {
    TimedOut() : Error("The answer did not come in time.") {}
};

/// An error of the operation's own.
struct Closed : Error {
    explicit Closed(int closeCode)
        : Error("Closed with " + std::to_string(closeCode) + "."), code(closeCode) {}
    int code;
};

/// What an operation did, seen from the test.
struct Trace {
    bool finished = false;
    bool cancelled = false;
};

/// Sleeps `duration` on `clock`, then returns `value` or throws `failure`.
boost::asio::awaitable<std::string> operation(ManualClock& clock, Clock::Duration duration, Trace& trace,
                                              std::string value, bool fails = false) {
    try {
        co_await clock.sleep(duration);
    } catch (const boost::system::system_error&) {
        trace.cancelled = true;
        throw;
    }
    trace.finished = true;
    if (fails)
        throw std::runtime_error(value);
    co_return value;
}

boost::asio::awaitable<void> failAtOnce() {
    co_await boost::asio::post(co_await boost::asio::this_coro::executor, boost::asio::use_awaitable);
    throw Closed(1000);
}

template <typename T> std::string errorText(const std::shared_ptr<testing::Spawned<T>>& outcome) {
    try {
        outcome->get();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "no error";
}

class WithTimeoutTest : public ::testing::Test {
protected:
    template <typename T> std::shared_ptr<testing::Spawned<T>> race(boost::asio::awaitable<T> operation) {
        auto outcome = loop.spawn(withTimeout(clock, 30s, TimedOut(), std::move(operation)));
        loop.drain();
        return outcome;
    }

    void advance(Clock::Duration duration) {
        clock.advance(duration);
        loop.drain();
    }

    AsyncTestLoop loop;
    ManualClock clock;
    Trace trace;
};

TEST_F(WithTimeoutTest, ReturnsTheValueOfAnOperationThatEndsInTime) {
    auto outcome = race(operation(clock, 10s, trace, "welcome"));
    advance(10s);
    ASSERT_TRUE(outcome->done);
    EXPECT_EQ(outcome->get(), "welcome");
    // The timer was cancelled rather than left to run out.
    EXPECT_EQ(clock.sleeperCount(), 0u);
}

TEST_F(WithTimeoutTest, ThrowsTheGivenErrorAndCancelsTheOperationAtTheTimeOut) {
    auto outcome = race(operation(clock, 60s, trace, "late"));
    advance(30s - 1ns);
    EXPECT_FALSE(outcome->done);
    advance(1ns);
    ASSERT_TRUE(outcome->done);
    EXPECT_EQ(errorText(outcome), TimedOut().what());
    EXPECT_TRUE(trace.cancelled);
    EXPECT_FALSE(trace.finished);
}

TEST_F(WithTimeoutTest, AnOperationFailingFirstFailsWithItsOwnError) {
    auto slow = race(operation(clock, 5s, trace, "the runner failed", true));
    advance(5s);
    EXPECT_EQ(errorText(slow), "the runner failed");

    // Failing at once: no waiting for the time-out.
    auto quick = race(failAtOnce());
    ASSERT_TRUE(quick->done);
    try {
        quick->get();
        ADD_FAILURE() << "no error";
    } catch (const Closed& error) {
        EXPECT_EQ(error.code, 1000);
    }
    EXPECT_EQ(clock.sleeperCount(), 0u);
}

TEST_F(WithTimeoutTest, CancellingTheCallerCancelsBoth) {
    boost::asio::cancellation_signal signal;
    auto outcome = std::make_shared<testing::Spawned<void>>();
    boost::asio::co_spawn(loop.context(),
                          withTimeout(clock, 30s, TimedOut(), operation(clock, 60s, trace, "never")),
                          boost::asio::bind_cancellation_slot(
                              signal.slot(), [outcome](std::exception_ptr error, const std::string&) {
                                  outcome->error = error;
                                  outcome->done = true;
                              }));
    loop.drain();
    signal.emit(boost::asio::cancellation_type::terminal);
    loop.drain();

    ASSERT_TRUE(outcome->done);
    try {
        outcome->get();
        ADD_FAILURE() << "no error";
    } catch (const boost::system::system_error& error) {
        EXPECT_EQ(error.code(), boost::asio::error::operation_aborted);
    }
    EXPECT_TRUE(trace.cancelled);
    EXPECT_EQ(clock.sleeperCount(), 0u);
}

} // namespace
} // namespace velto
