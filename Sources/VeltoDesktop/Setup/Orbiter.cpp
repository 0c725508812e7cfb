#include "VeltoDesktop/Setup/Orbiter.hpp"

#include <cmath>
#include <numbers>

namespace velto {

const std::array<Orbiter::Orbit, 3>& Orbiter::Orbit::all() {
    static const std::array<Orbit, 3> orbits{{
        {0, 0.40, 0.30, -18, 0.45},
        {1, 0.44, 0.24, 22, -0.32},
        {2, 0.34, 0.42, 70, 0.38},
    }};
    return orbits;
}

const std::vector<Orbiter>& Orbiter::all() {
    static const std::vector<Orbiter> orbiters = [] {
        std::vector<Orbiter> made;
        for (int index = 0; index < 8; ++index) {
            const auto turn = static_cast<std::size_t>(index % 3);
            made.push_back({index, allHarnessKinds[turn], Orbit::all()[turn], 2.4 * index});
        }
        return made;
    }();
    return orbiters;
}

Orbiter::Placement Orbiter::placement(double side, double time) const {
    const double theta = angle(time);
    const double depth = (std::sin(theta) + 1) / 2;
    const double x0 = side * orbit.radius * std::cos(theta);
    const double y0 = side * orbit.radius * orbit.flatness * std::sin(theta);
    const double tilt = orbit.tiltDegrees * std::numbers::pi / 180;
    Placement placed;
    placed.x = side / 2 + x0 * std::cos(tilt) - y0 * std::sin(tilt);
    placed.y = side / 2 + x0 * std::sin(tilt) + y0 * std::cos(tilt);
    placed.scale = 0.65 + 0.45 * depth;
    placed.opacity = 0.45 + 0.55 * depth;
    placed.z = std::sin(theta) > 0 ? 2 : 0;
    return placed;
}

} // namespace velto
