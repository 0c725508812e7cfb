#pragma once

#include "VeltoDesktop/Views/StatusItemHost.hpp"

#include <QDBusConnection>

namespace velto {

/// A tray is there when a StatusNotifierWatcher ("org.kde.StatusNotifierWatcher") has a name on the
/// session bus, or on X11 when the system tray selection has an owner. Never asks Qt's
/// `isSystemTrayAvailable()`, whose first answer Qt keeps.
class SystemTrayDetection final : public StatusItemHostDetecting {
public:
    static constexpr const char* watcherName = "org.kde.StatusNotifierWatcher";

    explicit SystemTrayDetection(QDBusConnection bus = QDBusConnection::sessionBus())
        : bus_(std::move(bus)) {}

    bool hasHost() override;
    /// Only the session bus's watcher.
    bool hasWatcher();

private:
    QDBusConnection bus_;
};

} // namespace velto
