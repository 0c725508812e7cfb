#pragma once

#include "VeltoDesktop/Model/MainThreadContext.hpp"

#include <boost/asio/co_spawn.hpp>
#include <boost/asio/io_context.hpp>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>
#include <type_traits>

#include "AsyncTestLoop.hpp"

namespace velto::testing {

/// The model's two threads on the test's one: the Qt main thread's executor and a device io_context
/// polled in turn, so that a test drives both to rest with `drain()` and moves time by hand.
class DesktopTestLoop {
public:
    boost::asio::io_context device;
    MainThreadContext main;

    boost::asio::any_io_executor mainExecutor() { return main.executor(); }
    boost::asio::any_io_executor deviceExecutor() { return device.get_executor(); }

    /// Runs both until neither has anything ready.
    void drain() {
        int quiet = 0;
        while (quiet < 3) {
            device.restart();
            const auto ran = device.poll();
            const auto before = main.completedWork();
            QCoreApplication::sendPostedEvents();
            if (auto* dispatcher = QAbstractEventDispatcher::instance())
                dispatcher->processEvents(QEventLoop::AllEvents);
            quiet = ran == 0 && main.completedWork() == before ? quiet + 1 : 0;
        }
    }

    /// Spawns the operation on the main thread and drains.
    template <typename T> std::shared_ptr<Spawned<T>> spawn(boost::asio::awaitable<T> operation) {
        auto outcome = std::make_shared<Spawned<T>>();
        if constexpr (std::is_void_v<T>) {
            boost::asio::co_spawn(main.executor(), std::move(operation), [outcome](std::exception_ptr error) {
                outcome->error = error;
                outcome->done = true;
            });
        } else {
            boost::asio::co_spawn(
                main.executor(),
                [](boost::asio::awaitable<T> inner) -> boost::asio::awaitable<std::optional<T>> {
                    co_return std::optional<T>(co_await std::move(inner));
                }(std::move(operation)),
                [outcome](std::exception_ptr error, std::optional<T> value) {
                    outcome->error = error;
                    if (!error)
                        outcome->value = std::move(value);
                    outcome->done = true;
                });
        }
        drain();
        return outcome;
    }

    /// Runs the operation to its end on the main thread and returns its value (or rethrows).
    template <typename T> T run(boost::asio::awaitable<T> operation) {
        auto outcome = spawn(std::move(operation));
        if (!outcome->done)
            throw std::runtime_error("the operation did not finish once the loops were at rest");
        return outcome->get();
    }
};

} // namespace velto::testing
