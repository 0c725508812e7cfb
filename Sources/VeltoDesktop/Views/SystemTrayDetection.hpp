#pragma once

#include "VeltoDesktop/Views/StatusItemHost.hpp"

#include <QDBusConnection>
#include <memory>

class QDBusServiceWatcher;

namespace velto {

/// A tray is there when a StatusNotifierWatcher ("org.kde.StatusNotifierWatcher") has a name on the
/// session bus, or on X11 when the system tray selection has an owner. Never asks Qt's
/// `isSystemTrayAvailable()`, whose first answer Qt keeps. The bus is asked once, when made, with a
/// short time-out; after that the name's owner changes are followed as the bus announces them, so a
/// re-check never waits for the bus.
class SystemTrayDetection final : public StatusItemHostDetecting {
public:
    static constexpr const char* watcherName = "org.kde.StatusNotifierWatcher";
    /// The longest the first question to the bus may take.
    static constexpr int firstAnswerTimeoutMs = 1000;

    explicit SystemTrayDetection(QDBusConnection bus = QDBusConnection::sessionBus());
    ~SystemTrayDetection() override;

    SystemTrayDetection(const SystemTrayDetection&) = delete;
    SystemTrayDetection& operator=(const SystemTrayDetection&) = delete;

    bool hasHost() override;
    /// Only the session bus's watcher, as last announced.
    bool hasWatcher() const { return hasWatcher_; }

private:
    std::unique_ptr<QDBusServiceWatcher> follower_;
    bool hasWatcher_ = false;
};

} // namespace velto
