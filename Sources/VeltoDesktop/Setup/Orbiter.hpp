#pragma once

#include "VeltoDevice/Enrollment/HarnessKind.hpp"

#include <array>
#include <vector>

namespace velto {

/// One harness chip circling the globe, on one of three tilted, flattened orbits.
struct Orbiter {
    struct Orbit {
        int id = 0;
        /// A fraction of the picture's side.
        double radius = 0;
        /// The ellipse's height over its width.
        double flatness = 0;
        double tiltDegrees = 0;
        /// Radians per second; the sign gives the direction.
        double speed = 0;

        static const std::array<Orbit, 3>& all();
    };
    /// Where a chip stands at one moment, measured from the picture's top-left corner.
    struct Placement {
        double x = 0;
        double y = 0;
        double scale = 1;
        double opacity = 1;
        /// 2 in front of the globe and its mark (whose order is 1), 0 behind them.
        int z = 0;
    };

    int id = 0;
    HarnessKind kind = HarnessKind::claudeCode;
    Orbit orbit;
    /// Radians at time 0.
    double phase = 0;

    /// Eight chips: kinds and orbits taken in turn, phases 2.4 apart.
    static const std::vector<Orbiter>& all();

    /// The angle at `time` (seconds since 1 January 2001 UTC).
    double angle(double time) const { return phase + orbit.speed * time; }
    /// In a square of `side`: nearer chips (sin θ towards 1) larger, brighter and in front.
    Placement placement(double side, double time) const;
};

} // namespace velto
