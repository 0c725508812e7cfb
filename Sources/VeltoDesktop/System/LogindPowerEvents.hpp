#pragma once

#include "VeltoDesktop/System/PowerEventSource.hpp"

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>

namespace velto {

/// Sleep and wake from systemd-logind on the system bus: its PrepareForSleep signal (true before the
/// machine sleeps, false after it woke), with a delay inhibitor taken at start and after each wake, so
/// that the machine waits for the sleep steps; the inhibitor is released when the steps of every
/// announced sleep have ended, or `longestDelay` after the announcement, whichever comes first. Without a
/// system bus or logind there is one log line and no observation. The inhibitor is asked for without
/// waiting for logind's answer. Main thread only.
class LogindPowerEvents final : public QObject, public PowerEventSource {
    Q_OBJECT

public:
    /// The longest the sleep steps hold the machine awake.
    static constexpr std::chrono::milliseconds longestDelay{4000};

    /// The one-shot timer that ends the delay at `longestDelay`; tests substitute one they fire by hand.
    class DelayTimer {
    public:
        virtual ~DelayTimer() = default;
        /// Calls `expired` once after `duration`, unless stopped first.
        virtual void start(std::chrono::milliseconds duration, std::function<void()> expired) = 0;
        virtual void stop() = 0;
    };

    /// `bus` is the system bus (tests give a private one); the delay runs on a Qt timer.
    explicit LogindPowerEvents(QDBusConnection bus = QDBusConnection::systemBus());
    LogindPowerEvents(QDBusConnection bus, std::unique_ptr<DelayTimer> delay);
    ~LogindPowerEvents() override;

    bool observe(Handlers handlers) override;
    void sleepHandled() override;

    /// Whether a delay inhibitor is held now (logind has answered).
    bool holdsInhibitor() const { return inhibitor_.isValid(); }

private Q_SLOTS:
    void prepareForSleep(bool start);

private:
    void takeInhibitor();
    void releaseInhibitor();

    QDBusConnection bus_;
    Handlers handlers_;
    QDBusUnixFileDescriptor inhibitor_;
    std::unique_ptr<DelayTimer> delay_;
    /// Whether the inhibitor now holds a sleep back (the delay runs).
    bool isDelaying_ = false;
    /// Whether logind's answer to an Inhibit call is awaited.
    bool isTakingInhibitor_ = false;
    /// Sleep notifications whose steps have not ended yet; they may end after the wake.
    std::size_t unhandledSleeps_ = 0;
};

} // namespace velto
