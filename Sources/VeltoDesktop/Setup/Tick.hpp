#pragma once

#include <cmath>
#include <cstdint>

namespace velto {

/// The stepping pictures count ticks from the absolute date, so where a loop starts depends on the
/// clock: tick n covers [n · period, (n + 1) · period).
struct Tick {
    /// The tick at `time` (seconds since 1 January 2001 UTC).
    static std::int64_t number(double time, double period) {
        return static_cast<std::int64_t>(std::floor(time / period));
    }
    /// n mod m in [0, m), negative n included.
    static std::int64_t modulo(std::int64_t n, std::int64_t m) { return ((n % m) + m) % m; }
    /// Seconds from `time` to the start of the next tick.
    static double untilNext(double time, double period) {
        return static_cast<double>(number(time, period) + 1) * period - time;
    }
};

} // namespace velto
