#pragma once

#include <boost/asio/awaitable.hpp>

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
};

} // namespace velto
