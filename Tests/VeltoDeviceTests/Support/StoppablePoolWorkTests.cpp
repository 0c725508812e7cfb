#include "VeltoDevice/Support/Blocking.hpp"
#include "VeltoDevice/Support/WithTimeout.hpp"

#include <boost/asio/cancellation_signal.hpp>
#include <boost/asio/thread_pool.hpp>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "AsyncTestLoop.hpp"
#include "HeldPool.hpp"
#include "ManualClock.hpp"

namespace velto {
namespace {

using namespace std::chrono_literals;

/// Work that runs until it is asked to stop, noting that it saw the stop.
struct UntilStopped {
    std::atomic<bool> started{false};
    std::atomic<bool> sawStop{false};

    auto work() {
        return [this](const StopFlag& stop) {
            started = true;
            while (!stop.isRequested())
                std::this_thread::sleep_for(1ms);
            sawStop = true;
            stop.throwIfRequested();
        };
    }
};

TEST(OnPoolUntilStopped, ReturnsTheWorksOutcome) {
    testing::AsyncTestLoop loop;
    boost::asio::thread_pool pool{1};
    int ran = 0;
    loop.run(onPoolUntilStopped(pool, [&ran](const StopFlag&) { ++ran; }));
    EXPECT_EQ(ran, 1);
    EXPECT_THROW(
        loop.run(onPoolUntilStopped(pool, [](const StopFlag&) { throw std::runtime_error("broken"); })),
        std::runtime_error);
}

// A time-out requests the stop and still waits for the work to end before it reports itself.
TEST(OnPoolUntilStopped, ATimeOutStopsTheWorkAndWaitsForIt) {
    testing::AsyncTestLoop loop;
    boost::asio::thread_pool pool{1};
    testing::ManualClock clock;
    UntilStopped work;
    auto outcome = loop.spawn(
        withTimeout(clock, 120s, std::runtime_error("timed out"), onPoolUntilStopped(pool, work.work())));
    loop.runUntil([&] { return work.started.load(); });
    clock.advance(119s);
    loop.drain();
    EXPECT_FALSE(outcome->done);
    clock.advance(1s);
    loop.runUntil([&] { return outcome->done; });
    ASSERT_TRUE(outcome->done);
    EXPECT_TRUE(work.sawStop);
    EXPECT_THROW(outcome->get(), std::runtime_error);
}

TEST(OnPoolUntilStopped, CancellingTheCallerStopsTheWorkAndStaysCancellation) {
    testing::AsyncTestLoop loop;
    boost::asio::thread_pool pool{1};
    UntilStopped work;
    auto wrapped = [](boost::asio::awaitable<void> operation) -> boost::asio::awaitable<bool> {
        co_await std::move(operation);
        co_return true;
    };
    boost::asio::cancellation_signal signal;
    auto run = loop.spawn(wrapped(onPoolUntilStopped(pool, work.work())), signal.slot());
    loop.runUntil([&] { return work.started.load(); });
    signal.emit(boost::asio::cancellation_type::terminal);
    loop.runUntil([&] { return run->done; });
    ASSERT_TRUE(run->done);
    EXPECT_TRUE(work.sawStop);
    try {
        std::rethrow_exception(run->error);
    } catch (const boost::system::system_error& error) {
        EXPECT_EQ(error.code(), boost::asio::error::operation_aborted);
    }
}

// Cancelled while its work still waits for a thread of the pool, the caller neither ends the program
// nor loses the work: it resumes once the work has run, with its value.
TEST(RunBlocking, ACallerCancelledWhileItsWorkWaitsForThePoolResumesWithTheWorksValue) {
    testing::AsyncTestLoop loop;
    testing::HeldPool pool;
    boost::asio::cancellation_signal signal;
    std::atomic<bool> ran{false};
    auto run = loop.spawn(runBlocking(pool.executor(),
                                      [&ran] {
                                          ran = true;
                                          return std::string("read");
                                      }),
                          signal.slot());
    loop.drain();
    signal.emit(boost::asio::cancellation_type::terminal);
    loop.drain();
    EXPECT_FALSE(run->done);
    pool.release();
    loop.runUntil([&] { return run->done; });
    EXPECT_TRUE(ran);
    EXPECT_EQ(run->get(), "read");
}

} // namespace
} // namespace velto
