#include "VeltoDesktop/LogindPowerEvents.hpp"

#include "VeltoDesktop/AppLog.hpp"

#include <QDBusMessage>
#include <QDBusReply>

namespace velto {

namespace {

const QString service = QStringLiteral("org.freedesktop.login1");
const QString path = QStringLiteral("/org/freedesktop/login1");
const QString manager = QStringLiteral("org.freedesktop.login1.Manager");

} // namespace

LogindPowerEvents::LogindPowerEvents(QDBusConnection bus) : bus_(std::move(bus)) {
    delay_.setSingleShot(true);
    delay_.setInterval(longestDelay);
    QObject::connect(&delay_, &QTimer::timeout, this, [this] { releaseInhibitor(); });
}

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
    if (inhibitor_.isValid())
        return;
    auto call = QDBusMessage::createMethodCall(service, path, manager, QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << QStringLiteral("Velto")
         << QStringLiteral("Disconnecting from Velto before the machine sleeps") << QStringLiteral("delay");
    QDBusReply<QDBusUnixFileDescriptor> reply = bus_.call(call, QDBus::Block, 5000);
    if (!reply.isValid()) {
        appLog().notice("logind gave no sleep delay: sockets close as the machine sleeps");
        return;
    }
    inhibitor_ = reply.value();
}

void LogindPowerEvents::releaseInhibitor() {
    delay_.stop();
    // Closing our copy of the descriptor releases the delay.
    inhibitor_ = QDBusUnixFileDescriptor();
}

void LogindPowerEvents::prepareForSleep(bool start) {
    if (start) {
        if (inhibitor_.isValid())
            delay_.start();
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
    releaseInhibitor();
}

} // namespace velto
