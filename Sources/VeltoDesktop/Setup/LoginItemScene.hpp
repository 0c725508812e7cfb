#pragma once

namespace velto {

/// The login item picture's choice of scene: the login window on every fourth tick of 1.6 s, the
/// desktop after login otherwise, and only the desktop with reduced motion.
struct LoginItemScene {
    static constexpr double period = 1.6;
    static constexpr double reducedPeriod = 3600;

    static bool showsLoginWindow(double time, bool reduceMotion);
};

} // namespace velto
