#include "VeltoDesktop/Model/MainThreadContext.hpp"
#include "VeltoDevice/Support/Blocking.hpp"
#include "VeltoDevice/Support/RunOn.hpp"

#include <boost/asio/co_spawn.hpp>
#include <boost/asio/post.hpp>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <stdexcept>
#include <thread>

#include "DesktopTestLoop.hpp"

namespace velto {
namespace {

/// A value without a default constructor, which co_spawn's own use_awaitable cannot carry.
struct Reading {
    explicit Reading(int v) : value(v) {}
    int value;
};

boost::asio::awaitable<Reading> readOnDevice(std::thread::id* where) {
    *where = std::this_thread::get_id();
    co_return Reading(42);
}

boost::asio::awaitable<Reading> failOnDevice() {
    throw std::runtime_error("device failure");
    co_return Reading(0);
}

TEST(MainThreadContextTest, AModelCoroutineHopsToTheDeviceThreadAndBackWithAnyValue) {
    boost::asio::io_context device;
    auto work = boost::asio::make_work_guard(device);
    std::thread deviceThread([&] { device.run(); });
    MainThreadContext main;
    std::thread::id ranOn;
    std::thread::id resumedOn;
    std::optional<int> value;
    std::string error;
    boost::asio::co_spawn(
        main.executor(),
        [&]() -> boost::asio::awaitable<void> {
            auto reading = readOnDevice(&ranOn);
            value = (co_await runOn(device.get_executor(), std::move(reading))).value;
            resumedOn = std::this_thread::get_id();
            try {
                auto failing = failOnDevice();
                co_await runOn(device.get_executor(), std::move(failing));
            } catch (const std::runtime_error& e) {
                error = e.what();
            }
        },
        [](std::exception_ptr) {});
    for (int i = 0; i < 5000 && error.empty(); ++i) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const auto deviceId = deviceThread.get_id();
    work.reset();
    deviceThread.join();
    EXPECT_EQ(value, 42);
    EXPECT_EQ(ranOn, deviceId);
    EXPECT_EQ(resumedOn, std::this_thread::get_id());
    EXPECT_EQ(error, "device failure");
}

TEST(MainThreadContextTest, WorkPostedAfterTheContextIsGoneIsDroppedNotRun) {
    auto context = std::make_unique<MainThreadContext>();
    auto executor = context->executor();
    bool ran = false;
    auto witness = std::make_shared<int>(0);
    boost::asio::post(executor, [&ran, witness] { ran = true; });
    context.reset();
    boost::asio::post(executor, [&ran, witness] { ran = true; });
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
    EXPECT_EQ(witness.use_count(), 1) << "both pieces of work were destroyed";
}

} // namespace
} // namespace velto
