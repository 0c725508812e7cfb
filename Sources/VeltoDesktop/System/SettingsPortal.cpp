#include "VeltoDesktop/System/SettingsPortal.hpp"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace velto {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");

/// An answer nests at most this deep; anything deeper is not a setting.
constexpr int maximumWrapping = 4;

} // namespace

SettingsPortal::SettingsPortal(QDBusConnection bus, QObject* parent) : QObject(parent), bus_(std::move(bus)) {
    if (bus_.isConnected())
        bus_.connect(portalService, portalPath, settingsInterface, QStringLiteral("SettingChanged"), this,
                     SLOT(portalSettingChanged(QString, QString, QDBusVariant)));
}

void SettingsPortal::read(const QString& group, const QString& key) {
    if (!bus_.isConnected())
        return;
    auto call =
        QDBusMessage::createMethodCall(portalService, portalPath, settingsInterface, QStringLiteral("Read"));
    call << group << key;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, group, key] {
        watcher->deleteLater();
        QDBusPendingReply<QDBusVariant> reply = *watcher;
        if (reply.isValid())
            Q_EMIT settingChanged(group, key, unwrapped(reply.value().variant()));
    });
}

QVariant SettingsPortal::unwrapped(QVariant value) {
    for (int depth = 0; depth < maximumWrapping && value.metaType() == QMetaType::fromType<QDBusVariant>();
         ++depth)
        value = value.value<QDBusVariant>().variant();
    return value;
}

void SettingsPortal::portalSettingChanged(const QString& group, const QString& key,
                                          const QDBusVariant& value) {
    Q_EMIT settingChanged(group, key, unwrapped(value.variant()));
}

} // namespace velto
