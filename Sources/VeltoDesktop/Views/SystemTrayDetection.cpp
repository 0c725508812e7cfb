#include "VeltoDesktop/Views/SystemTrayDetection.hpp"

#include "VeltoDesktop/Views/X11Selections.hpp"

#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace velto {

SystemTrayDetection::SystemTrayDetection(QDBusConnection bus) : bus_(std::move(bus)) {
    if (!bus_.isConnected())
        return;
    const auto name = QString::fromLatin1(watcherName);
    // Followed before asking, so that an owner arriving between the two is not missed.
    follower_ = std::make_unique<QDBusServiceWatcher>(name, bus_, QDBusServiceWatcher::WatchForOwnerChange);
    QObject::connect(follower_.get(), &QDBusServiceWatcher::serviceOwnerChanged, follower_.get(),
                     [this](const QString&, const QString&, const QString& newOwner) {
                         watcherNamed_ = !newOwner.isEmpty();
                     });
    auto call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    call << name;
    QDBusReply<bool> reply = bus_.call(call, QDBus::Block, firstAnswerTimeoutMs);
    watcherNamed_ = reply.isValid() && reply.value();
}

SystemTrayDetection::~SystemTrayDetection() = default;

bool SystemTrayDetection::hasWatcher() {
    if (!watcherNamed_)
        return false;
    auto ask = QDBusMessage::createMethodCall(
        QString::fromLatin1(watcherName), QString::fromLatin1(watcherPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    ask << QString::fromLatin1(watcherName) << QStringLiteral("IsStatusNotifierHostRegistered");
    const auto reply = bus_.call(ask, QDBus::Block, static_cast<int>(answerTimeout.count()));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    const auto value = reply.arguments().front().value<QDBusVariant>().variant();
    return value.metaType() == QMetaType::fromType<bool>() && value.toBool();
}

bool SystemTrayDetection::hasHost() {
    return hasWatcher() || X11Selections::hasTray();
}

} // namespace velto
