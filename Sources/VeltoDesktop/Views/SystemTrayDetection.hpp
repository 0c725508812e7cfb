#pragma once

#include "VeltoDesktop/Views/StatusItemHost.hpp"

#include <QDBusConnection>
#include <chrono>

namespace velto {

/// A tray is there when a StatusNotifierWatcher ("org.kde.StatusNotifierWatcher") on the session bus
/// says a host is registered (a watcher without a host shows no item: Qt would register ours and
/// nothing would draw it), or on X11 when the system tray selection has an owner. Never asks Qt's
/// `isSystemTrayAvailable()`, whose first answer Qt keeps.
class SystemTrayDetection final : public StatusItemHostDetecting {
public:
    static constexpr const char* watcherName = "org.kde.StatusNotifierWatcher";
    static constexpr const char* watcherPath = "/StatusNotifierWatcher";
    /// A watcher that does not answer in this time has no host for us.
    static constexpr std::chrono::milliseconds answerTimeout{500};

    explicit SystemTrayDetection(QDBusConnection bus = QDBusConnection::sessionBus())
        : bus_(std::move(bus)) {}

    bool hasHost() override;
    /// Only the session bus's watcher, and only with a host registered.
    bool hasWatcher();

private:
    QDBusConnection bus_;
};

} // namespace velto
