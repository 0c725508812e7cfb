#include "VeltoDevice/Support/Exceptions.hpp"
#include "VeltoDevice/Support/RunOn.hpp"

#include <boost/asio/bind_cancellation_slot.hpp>
#include <boost/asio/cancellation_signal.hpp>
#include <boost/asio/error.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/redirect_error.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/system/system_error.hpp>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include "AsyncTestLoop.hpp"
#include "PostingEventLoop.hpp"

namespace velto {
namespace {

using testing::PostingEventLoop;
using testing::Spawned;

/// A result with no default constructor, as an enrollment is.
struct Joined {
    explicit Joined(std::string name) : organization(std::move(name)) {}
    std::string organization;
};

/// The library's context and the application's event loop, both run by the test's thread in turn.
class RunOnTest : public ::testing::Test {
protected:
    void pump() { app.runInTurnWith(device); }
    std::shared_ptr<Spawned<void>> onApp(boost::asio::awaitable<void> operation) {
        return app.spawn(std::move(operation), signal.slot());
    }

    boost::asio::io_context device;
    PostingEventLoop app;
    boost::asio::cancellation_signal signal;
};

TEST_F(RunOnTest, AValueWithoutADefaultConstructorComesBackOnTheCallersLoop) {
    bool ranOnDevice = false;
    bool resumedOnApp = false;
    std::string organization;
    auto join = [&]() -> boost::asio::awaitable<Joined> {
        ranOnDevice = device.get_executor().running_in_this_thread() && !app.isRunningHere();
        co_return Joined("Acme");
    };
    auto model = [&]() -> boost::asio::awaitable<void> {
        auto joined = co_await runOn(device.get_executor(), join());
        resumedOnApp = app.isRunningHere();
        organization = joined.organization;
    };
    auto outcome = onApp(model());
    pump();

    ASSERT_TRUE(outcome->done);
    EXPECT_NO_THROW(outcome->get());
    EXPECT_TRUE(ranOnDevice);
    EXPECT_TRUE(resumedOnApp);
    EXPECT_EQ(organization, "Acme");
}

TEST_F(RunOnTest, ErrorsAndNothingComeBackToo) {
    auto failing = []() -> boost::asio::awaitable<Joined> {
        throw std::runtime_error("the keychain is locked");
        co_return Joined("never");
    };
    bool voidRan = false;
    auto nothing = [&]() -> boost::asio::awaitable<void> {
        voidRan = true;
        co_return;
    };
    std::string caught;
    auto model = [&]() -> boost::asio::awaitable<void> {
        co_await runOn(device.get_executor(), nothing());
        try {
            (void)co_await runOn(device.get_executor(), failing());
        } catch (const std::runtime_error& error) {
            caught = error.what();
        }
    };
    auto outcome = onApp(model());
    pump();
    ASSERT_TRUE(outcome->done);
    EXPECT_NO_THROW(outcome->get());
    EXPECT_TRUE(voidRan);
    EXPECT_EQ(caught, "the keychain is locked");
}

TEST_F(RunOnTest, CancellingTheCallerCancelsTheOperationOnItsOwnExecutor) {
    bool abortedOnDevice = false;
    auto wait = [&]() -> boost::asio::awaitable<Joined> {
        boost::asio::steady_timer timer(device, boost::asio::steady_timer::time_point::max());
        boost::system::error_code error;
        co_await timer.async_wait(boost::asio::redirect_error(boost::asio::use_awaitable, error));
        abortedOnDevice = error == boost::asio::error::operation_aborted &&
                          device.get_executor().running_in_this_thread() && !app.isRunningHere();
        throw boost::system::system_error(error);
    };
    auto model = [&]() -> boost::asio::awaitable<void> {
        (void)co_await runOn(device.get_executor(), wait());
    };
    auto outcome = onApp(model());
    pump();
    ASSERT_FALSE(outcome->done);

    signal.emit(boost::asio::cancellation_type::terminal);
    pump();
    ASSERT_TRUE(outcome->done);
    EXPECT_TRUE(isCancellation(outcome->error));
    EXPECT_TRUE(abortedOnDevice);
}

/// Coroutine parameters live in the frame, unlike a lambda's captures.
boost::asio::awaitable<Joined> answerOnDevice(boost::asio::io_context& device, std::atomic<int>& onDevice,
                                              int n) {
    if (device.get_executor().running_in_this_thread())
        ++onDevice;
    co_return Joined(std::to_string(n));
}

boost::asio::awaitable<void> askDevice(boost::asio::io_context& device, std::atomic<int>& onDevice,
                                       int& answered, int n) {
    auto joined = co_await runOn(device.get_executor(), answerOnDevice(device, onDevice, n));
    if (joined.organization == std::to_string(n))
        ++answered;
}

// The library's thread is a thread of its own, as in the application: every crossing, and a
// cancellation racing each answer, must leave nothing behind (the sanitizers watch).
TEST(RunOnThreads, CrossingsAndCancellationsRacingTheirAnswers) {
    boost::asio::io_context device;
    auto work = boost::asio::make_work_guard(device);
    std::thread thread([&] { device.run(); });
    boost::asio::io_context app;

    std::atomic<int> onDevice = 0;
    constexpr int rounds = 300;
    int answered = 0;
    int ended = 0;
    std::vector<std::unique_ptr<boost::asio::cancellation_signal>> signals;
    for (int n = 0; n < rounds; ++n) {
        signals.push_back(std::make_unique<boost::asio::cancellation_signal>());
        boost::asio::co_spawn(app, askDevice(device, onDevice, answered, n),
                              boost::asio::bind_cancellation_slot(signals.back()->slot(),
                                                                  [&ended](std::exception_ptr) { ++ended; }));
        // Every other call is cancelled while its answer may be on its way.
        if (n % 2 == 1) {
            app.poll();
            signals.back()->emit(boost::asio::cancellation_type::terminal);
        }
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (ended < rounds && std::chrono::steady_clock::now() < deadline) {
        app.restart();
        app.run_for(std::chrono::milliseconds(5));
    }
    work.reset();
    thread.join();

    EXPECT_EQ(ended, rounds);
    EXPECT_EQ(onDevice.load(), rounds);
    EXPECT_GE(answered, rounds / 2);
}

} // namespace
} // namespace velto
