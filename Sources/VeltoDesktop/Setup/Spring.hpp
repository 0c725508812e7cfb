#pragma once

namespace velto {

/// A damped spring from 0 to 1 in closed form, stretched over a fixed duration so that an easing
/// curve can carry it: `response` is the undamped period in seconds, `damping` the damping fraction.
struct Spring {
    double response = 0.55;
    double damping = 0.82;
    /// Seconds the animation lasts; the spring is taken as settled at its end.
    double duration = 1.0;

    /// The spring's value at `progress` of the duration: 0 at 0, exactly 1 from 1 on.
    double value(double progress) const;
};

} // namespace velto
