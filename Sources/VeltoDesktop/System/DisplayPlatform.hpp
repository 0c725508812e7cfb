#pragma once

#include "VeltoDevice/Support/Environment.hpp"

namespace velto {

/// Where the agent's windows go, decided before the application object exists: Qt aborts the process
/// when its platform cannot reach a display (an SSH session, a session whose display is not up yet,
/// a machine without a desktop), and the agent's work needs no window.
struct DisplayPlatform {
    enum class Choice {
        asked,   ///< QT_QPA_PLATFORM names a platform: it is used as it is
        x11,     ///< an X server answers (Xwayland included): Qt's own choice stands
        wayland, ///< only a Wayland compositor answers: Qt's Wayland platform where it is installed
        none,    ///< no display answers: windows draw offscreen and no tray is shown
    };

    /// Asks the displays that `environment` names whether they answer.
    static Choice choose(const Environment& environment);
    /// Sets this process's QT_QPA_PLATFORM for the choice ("offscreen" with no display, Wayland falling
    /// back to it when its platform plugin is missing); answers the choice.
    static Choice applyToThisProcess(const Environment& environment);
};

} // namespace velto
