#pragma once

#include <cstdint>
#include <functional>

namespace velto {

/// Redial delays with equal jitter: half of each attempt's ceiling is fixed, the other half random,
/// and the ceiling doubles per attempt up to the cap.
struct Backoff {
    /// Draws a jitter in [0, 1).
    using Jitter = std::function<double()>;

    std::int64_t baseMilliseconds = 1000;
    std::int64_t capMilliseconds = 60000;

    /// Base 1 s, cap 60 s: every connection of the application uses it.
    static Backoff standard() { return Backoff{1000, 60000}; }

    /// min(cap, base × 2^attempt), the attempt clamped to 0...20. A product beyond 64 bits counts as
    /// the cap.
    std::int64_t ceilingMilliseconds(int attempt) const;
    /// Half the ceiling (integer division) plus `jitter`, clamped to 0...1 (NaN counts as 0), times
    /// the other half, rounded half away from zero.
    std::int64_t delayMilliseconds(int attempt, double jitter) const;
    /// The delay with a fresh `randomJitter()`.
    std::int64_t delayMilliseconds(int attempt) const;

    /// A random 53-bit integer times 2^-53: uniform in [0, 1).
    static double randomJitter();

    friend bool operator==(const Backoff&, const Backoff&) = default;
};

} // namespace velto
