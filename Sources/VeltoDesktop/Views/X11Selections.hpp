#pragma once

#include <QColor>
#include <optional>
#include <string>

namespace velto {

/// Asks the X server of the running application whether a selection has an owner: the system tray
/// (`_NET_SYSTEM_TRAY_S<screen>`) or the compositing manager (`_NET_WM_CM_S<screen>`) of the default
/// screen. On any other platform, or without a display connection, nothing has an owner.
struct X11Selections {
    static bool hasTray();
    static bool hasCompositor();
    static bool hasOwner(const std::string& selection);
    /// The colour of the system tray window's first pixel, when it can be read as true colour.
    static std::optional<QColor> trayBackground();
};

} // namespace velto
