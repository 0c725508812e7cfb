#include "VeltoDesktop/System/Hostname1Naming.hpp"

#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <climits>
#include <unistd.h>

namespace velto {

namespace {

/// Names longer than this are not a name a person gave.
constexpr qsizetype longestName = 256;

} // namespace

std::optional<std::string> Hostname1Naming::prettyName() {
    if (!bus_.isConnected())
        return std::nullopt;
    auto call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.hostname1"), QStringLiteral("/org/freedesktop/hostname1"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << QStringLiteral("org.freedesktop.hostname1") << QStringLiteral("PrettyHostname");
    QDBusReply<QDBusVariant> reply = bus_.call(call, QDBus::Block, 2000);
    if (!reply.isValid())
        return std::nullopt;
    auto name = reply.value().variant().toString().trimmed();
    if (name.isEmpty() || name.size() > longestName)
        return std::nullopt;
    return name.toStdString();
}

std::optional<std::string> Hostname1Naming::hostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0')
        return std::nullopt;
    return std::string(name);
}

} // namespace velto
