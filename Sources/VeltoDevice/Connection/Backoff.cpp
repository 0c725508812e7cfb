#include "VeltoDevice/Connection/Backoff.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace velto {

std::int64_t Backoff::ceilingMilliseconds(int attempt) const {
    int clamped = std::clamp(attempt, 0, 20);
    std::int64_t ceiling = 0;
    if (__builtin_mul_overflow(baseMilliseconds, std::int64_t{1} << clamped, &ceiling))
        return capMilliseconds;
    return std::min(capMilliseconds, ceiling);
}

std::int64_t Backoff::delayMilliseconds(int attempt, double jitter) const {
    double j = std::isnan(jitter) ? 0.0 : std::clamp(jitter, 0.0, 1.0);
    std::int64_t ceiling = ceilingMilliseconds(attempt);
    std::int64_t half = ceiling / 2;
    // std::round rounds halves away from zero.
    return half + static_cast<std::int64_t>(std::round(j * static_cast<double>(ceiling - half)));
}

std::int64_t Backoff::delayMilliseconds(int attempt) const {
    return delayMilliseconds(attempt, randomJitter());
}

double Backoff::randomJitter() {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    std::uint64_t bits = generator() >> 11;
    return std::ldexp(static_cast<double>(bits), -53);
}

} // namespace velto
