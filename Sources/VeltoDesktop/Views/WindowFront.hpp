#pragma once

#include <QGuiApplication>
#include <QWindow>

namespace velto {

/// Shows a window in front and asks for the focus; the offscreen platform cannot raise, so it is
/// not asked to.
inline void bringToFront(QWindow& window) {
    window.show();
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        window.raise();
    window.requestActivate();
}

} // namespace velto
