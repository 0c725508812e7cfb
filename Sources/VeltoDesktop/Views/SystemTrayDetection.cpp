#include "VeltoDesktop/Views/SystemTrayDetection.hpp"

#include "VeltoDesktop/Views/X11Selections.hpp"

#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>

namespace velto {

SystemTrayDetection::SystemTrayDetection(QDBusConnection bus) {
    if (!bus.isConnected())
        return;
    const auto name = QString::fromLatin1(watcherName);
    // Followed before asking, so that an owner arriving between the two is not missed.
    follower_ = std::make_unique<QDBusServiceWatcher>(name, bus, QDBusServiceWatcher::WatchForOwnerChange);
    QObject::connect(follower_.get(), &QDBusServiceWatcher::serviceOwnerChanged, follower_.get(),
                     [this](const QString&, const QString&, const QString& newOwner) {
                         hasWatcher_ = !newOwner.isEmpty();
                     });
    auto call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    call << name;
    QDBusReply<bool> reply = bus.call(call, QDBus::Block, firstAnswerTimeoutMs);
    hasWatcher_ = reply.isValid() && reply.value();
}

SystemTrayDetection::~SystemTrayDetection() = default;

bool SystemTrayDetection::hasHost() {
    return hasWatcher() || X11Selections::hasTray();
}

} // namespace velto
