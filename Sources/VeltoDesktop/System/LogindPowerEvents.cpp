#include "VeltoDesktop/System/LogindPowerEvents.hpp"

#include "VeltoDesktop/AppLog.hpp"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QTimer>

namespace velto {

namespace {

const QString service = QStringLiteral("org.freedesktop.login1");
const QString path = QStringLiteral("/org/freedesktop/login1");
const QString manager = QStringLiteral("org.freedesktop.login1.Manager");

class QtDelayTimer final : public LogindPowerEvents::DelayTimer {
public:
    QtDelayTimer() {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
            // A copy: the call may stop or restart the timer.
            auto expired = expired_;
            if (expired)
                expired();
        });
    }

    void start(std::chrono::milliseconds duration, std::function<void()> expired) override {
        expired_ = std::move(expired);
        timer_.start(duration);
    }
    void stop() override { timer_.stop(); }

private:
    QTimer timer_;
    std::function<void()> expired_;
};

} // namespace

LogindPowerEvents::LogindPowerEvents(QDBusConnection bus)
    : LogindPowerEvents(std::move(bus), std::make_unique<QtDelayTimer>()) {}

LogindPowerEvents::LogindPowerEvents(QDBusConnection bus, std::unique_ptr<DelayTimer> delay)
    : bus_(std::move(bus)), delay_(std::move(delay)) {}

LogindPowerEvents::~LogindPowerEvents() = default;

bool LogindPowerEvents::observe(Handlers handlers) {
    handlers_ = std::move(handlers);
    if (!bus_.isConnected()) {
        appLog().notice("no system bus: sleep and wake are not observed");
        return false;
    }
    if (!bus_.connect(service, path, manager, QStringLiteral("PrepareForSleep"), this,
                      SLOT(prepareForSleep(bool)))) {
        appLog().notice("logind cannot be followed: sleep and wake are not observed");
        return false;
    }
    takeInhibitor();
    return true;
}

void LogindPowerEvents::takeInhibitor() {
    if (inhibitor_.isValid() || isTakingInhibitor_)
        return;
    auto call = QDBusMessage::createMethodCall(service, path, manager, QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << QStringLiteral("Velto")
         << QStringLiteral("Disconnecting from Velto before the machine sleeps") << QStringLiteral("delay");
    // Asked without waiting: the main thread must not stop for logind, at launch or at a wake.
    isTakingInhibitor_ = true;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, 5000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        isTakingInhibitor_ = false;
        QDBusPendingReply<QDBusUnixFileDescriptor> reply = *finished;
        if (reply.isError() || !reply.value().isValid()) {
            appLog().notice("logind gave no sleep delay: sockets close as the machine sleeps");
            return;
        }
        inhibitor_ = reply.value();
    });
}

void LogindPowerEvents::releaseInhibitor() {
    delay_->stop();
    isDelaying_ = false;
    // Closing our copy of the descriptor releases the delay.
    inhibitor_ = QDBusUnixFileDescriptor();
}

void LogindPowerEvents::prepareForSleep(bool start) {
    if (start) {
        ++unhandledSleeps_;
        // A repeated announcement does not move the cap further out.
        if (inhibitor_.isValid() && !isDelaying_) {
            isDelaying_ = true;
            delay_->start(longestDelay, [this] { releaseInhibitor(); });
        }
        if (handlers_.willSleep)
            handlers_.willSleep();
    } else {
        releaseInhibitor();
        takeInhibitor();
        if (handlers_.didWake)
            handlers_.didWake();
    }
}

void LogindPowerEvents::sleepHandled() {
    if (unhandledSleeps_ > 0)
        --unhandledSleeps_;
    // Steps that end after the cap and the wake must not release the inhibitor taken for the next sleep.
    if (unhandledSleeps_ == 0 && isDelaying_)
        releaseInhibitor();
}

} // namespace velto
