#pragma once

#include "VeltoDesktop/Views/StatusItemHost.hpp"

#include <QDBusConnection>
#include <chrono>
#include <memory>

class QDBusPendingCallWatcher;
class QDBusServiceWatcher;

namespace velto {

/// A tray is there when a StatusNotifierWatcher ("org.kde.StatusNotifierWatcher") on the session bus
/// says a host is registered (a watcher without a host shows no item: Qt would register ours and
/// nothing would draw it), or on X11 when the system tray selection has an owner. Never asks Qt's
/// `isSystemTrayAvailable()`, whose first answer Qt keeps. Whether the watcher's name has an owner, and
/// whether it has a host, is asked once when made, with a short time-out; then the name is followed as
/// the bus announces it and the host asked again without waiting: a look answers with the latest reply
/// and never blocks the main thread.
class SystemTrayDetection final : public StatusItemHostDetecting {
public:
    static constexpr const char* watcherName = "org.kde.StatusNotifierWatcher";
    static constexpr const char* watcherPath = "/StatusNotifierWatcher";
    /// The longest the first question to the bus may take.
    static constexpr int firstAnswerTimeoutMs = 1000;
    /// A watcher that does not answer in this time has no host for us.
    static constexpr std::chrono::milliseconds answerTimeout{500};

    explicit SystemTrayDetection(QDBusConnection bus = QDBusConnection::sessionBus());
    ~SystemTrayDetection() override;

    SystemTrayDetection(const SystemTrayDetection&) = delete;
    SystemTrayDetection& operator=(const SystemTrayDetection&) = delete;

    bool hasHost() override;
    /// Only the session bus's watcher, and only with a host registered.
    bool hasWatcher();

private:
    /// Asks the watcher whether a host is registered, unless a question is under way.
    void askForHost();

    QDBusConnection bus_;
    std::unique_ptr<QDBusServiceWatcher> follower_;
    std::unique_ptr<QDBusPendingCallWatcher> pending_;
    bool watcherNamed_ = false;
    bool hostRegistered_ = false;
};

} // namespace velto
