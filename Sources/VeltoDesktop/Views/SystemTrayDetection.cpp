#include "VeltoDesktop/Views/SystemTrayDetection.hpp"

#include "VeltoDesktop/Views/X11Selections.hpp"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>

namespace velto {

bool SystemTrayDetection::hasWatcher() {
    if (!bus_.isConnected())
        return false;
    auto* names = bus_.interface();
    if (!names)
        return false;
    auto registered = names->isServiceRegistered(QString::fromLatin1(watcherName));
    if (!registered.isValid() || !registered.value())
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
