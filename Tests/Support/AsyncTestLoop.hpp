#pragma once

#include <boost/asio/awaitable.hpp>
#include <boost/asio/bind_cancellation_slot.hpp>
#include <boost/asio/cancellation_signal.hpp>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/io_context.hpp>

#include <chrono>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>

namespace velto::testing {

/// The outcome of a coroutine spawned on a test loop.
template <typename T> struct Spawned {
    bool done = false;
    std::exception_ptr error;
    std::optional<T> value;

    /// The value, or the coroutine's exception rethrown.
    T get() {
        if (!done)
            throw std::logic_error("the coroutine has not finished");
        if (error)
            std::rethrow_exception(error);
        return std::move(*value);
    }
};

template <> struct Spawned<void> {
    bool done = false;
    std::exception_ptr error;
    void get() {
        if (!done)
            throw std::logic_error("the coroutine has not finished");
        if (error)
            std::rethrow_exception(error);
    }
};

/// An io_context run on the test's own thread: `drain` runs what is ready (for manual-clock tests),
/// `run` drives one coroutine to its end (for tests with real sockets, bounded by a wall-clock guard).
class AsyncTestLoop {
public:
    boost::asio::io_context& context() { return context_; }
    boost::asio::any_io_executor executor() { return context_.get_executor(); }

    /// Spawns `operation` on the loop, cancellable through `slot` when one is given.
    template <typename T>
    std::shared_ptr<Spawned<T>> spawn(boost::asio::awaitable<T> operation,
                                      boost::asio::cancellation_slot slot = {}) {
        auto outcome = std::make_shared<Spawned<T>>();
        auto ended = boost::asio::bind_cancellation_slot(slot, [outcome](std::exception_ptr error) {
            outcome->error = error;
            outcome->done = true;
        });
        if constexpr (std::is_void_v<T>) {
            boost::asio::co_spawn(context_, std::move(operation), std::move(ended));
        } else {
            // Kept by the coroutine itself, so that a value without a default constructor (an
            // enrollment) needs no wrapping.
            boost::asio::co_spawn(context_, keep(outcome, std::move(operation)), std::move(ended));
        }
        return outcome;
    }

    /// Runs every handler that is ready, including the ones they make ready, then returns.
    void drain() {
        context_.restart();
        while (context_.poll() > 0) {
        }
        context_.restart();
    }

    /// Runs the loop until the coroutine ends and returns its value (or rethrows its exception).
    template <typename T>
    T run(boost::asio::awaitable<T> operation, std::chrono::seconds guard = std::chrono::seconds(30)) {
        auto outcome = spawn(std::move(operation));
        auto deadline = std::chrono::steady_clock::now() + guard;
        context_.restart();
        while (!outcome->done) {
            if (std::chrono::steady_clock::now() > deadline) {
                throw std::runtime_error("the coroutine did not finish in time");
            }
            context_.run_one_for(std::chrono::milliseconds(50));
            if (context_.stopped())
                context_.restart();
        }
        drain();
        return outcome->get();
    }

    /// Runs the loop until `condition` holds (checked between handlers), for tests that wait on real
    /// processes before they advance a manual clock. Throws when it does not hold within `guard`.
    template <typename Condition>
    void runUntil(Condition condition, std::chrono::seconds guard = std::chrono::seconds(30)) {
        auto deadline = std::chrono::steady_clock::now() + guard;
        context_.restart();
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline)
                throw std::runtime_error("the condition did not come true in time");
            context_.run_one_for(std::chrono::milliseconds(10));
            if (context_.stopped())
                context_.restart();
        }
    }

private:
    template <typename T>
    static boost::asio::awaitable<void> keep(std::shared_ptr<Spawned<T>> outcome,
                                             boost::asio::awaitable<T> operation) {
        outcome->value.emplace(co_await std::move(operation));
    }

    boost::asio::io_context context_;
};

} // namespace velto::testing
