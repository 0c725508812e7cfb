#pragma once

#include <boost/asio/awaitable.hpp>
#include <boost/asio/error.hpp>
#include <boost/system/system_error.hpp>

#include <chrono>

namespace velto {

/// Monotonic time and cancellable sleeps; tests substitute a manual clock they advance.
class Clock {
public:
    using Duration = std::chrono::nanoseconds;
    using Instant = std::chrono::time_point<std::chrono::steady_clock, Duration>;

    virtual ~Clock() = default;

    virtual Instant now() const = 0;
    /// Completes after `duration`; cancellation ends it with operation_aborted.
    virtual boost::asio::awaitable<void> sleep(Duration duration) = 0;
    /// Like `sleep`, but a cancellation ends it with false rather than an exception (also one that
    /// came before the call, where the coroutine does not throw on it): for waits that are
    /// cancelled as often as they run out, where unwinding costs more than the wait. True when the
    /// whole duration passed.
    virtual boost::asio::awaitable<bool> sleepUnlessCancelled(Duration duration);
};

inline boost::asio::awaitable<bool> Clock::sleepUnlessCancelled(Duration duration) {
    bool slept = true;
    try {
        co_await sleep(duration);
    } catch (const boost::system::system_error& error) {
        if (error.code() != boost::asio::error::operation_aborted)
            throw;
        slept = false;
    }
    co_return slept;
}

} // namespace velto
