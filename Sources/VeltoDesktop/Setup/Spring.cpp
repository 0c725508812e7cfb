#include "VeltoDesktop/Setup/Spring.hpp"

#include <cmath>
#include <numbers>

namespace velto {

double Spring::value(double progress) const {
    if (progress <= 0)
        return 0;
    if (progress >= 1)
        return 1;
    const double t = progress * duration;
    const double omega = 2 * std::numbers::pi / response;
    const double decay = damping * omega;
    if (damping >= 1)
        return 1 - std::exp(-omega * t) * (1 + omega * t);
    const double damped = omega * std::sqrt(1 - damping * damping);
    return 1 - std::exp(-decay * t) * (std::cos(damped * t) + decay / damped * std::sin(damped * t));
}

} // namespace velto
