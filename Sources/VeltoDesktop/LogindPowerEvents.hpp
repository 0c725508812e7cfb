#pragma once

#include "VeltoDesktop/PowerEventSource.hpp"

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QTimer>
#include <chrono>

namespace velto {

/// Sleep and wake from systemd-logind on the system bus: its PrepareForSleep signal (true before the
/// machine sleeps, false after it woke), with a delay inhibitor taken at start and after each wake, so
/// that the machine waits for the sleep steps; the inhibitor is released when they end, or after
/// `longestDelay` whichever comes first. Without a system bus or logind there is one log line and no
/// observation. Main thread only.
class LogindPowerEvents final : public QObject, public PowerEventSource {
    Q_OBJECT

public:
    /// The longest the sleep steps hold the machine awake.
    static constexpr std::chrono::milliseconds longestDelay{4000};

    /// `bus` is the system bus (tests give a private one).
    explicit LogindPowerEvents(QDBusConnection bus = QDBusConnection::systemBus());
    ~LogindPowerEvents() override;

    bool observe(Handlers handlers) override;
    void sleepHandled() override;

    /// Whether a delay inhibitor is held now.
    bool holdsInhibitor() const { return inhibitor_.isValid(); }

private Q_SLOTS:
    void prepareForSleep(bool start);

private:
    void takeInhibitor();
    void releaseInhibitor();

    QDBusConnection bus_;
    Handlers handlers_;
    QDBusUnixFileDescriptor inhibitor_;
    QTimer delay_;
};

} // namespace velto
