#include "VeltoDesktop/Setup/MotionPreference.hpp"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace velto {

namespace {

const QString gnomeGroup = QStringLiteral("org.gnome.desktop.interface");
const QString gnomeKey = QStringLiteral("enable-animations");
const QString kdeGroup = QStringLiteral("org.kde.kdeglobals.KDE");
const QString kdeKey = QStringLiteral("AnimationDurationFactor");

/// The portal's older Read wraps the value in a second variant.
QVariant unwrapped(QVariant value) {
    for (int depth = 0; depth < 4 && value.metaType() == QMetaType::fromType<QDBusVariant>(); ++depth)
        value = value.value<QDBusVariant>().variant();
    return value;
}

} // namespace

MotionPreference::MotionPreference(const Environment& environment, QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {
    if (auto found = environment.find(overrideVariable); found != environment.end()) {
        if (found->second == "1" || found->second == "0") {
            reduceMotion_ = found->second == "1";
            return;
        }
    }
    if (!bus_.isConnected())
        return;
    bus_.connect(QString::fromLatin1(portalService), QString::fromLatin1(portalPath),
                 QString::fromLatin1(settingsInterface), QStringLiteral("SettingChanged"), this,
                 SLOT(settingChanged(QString, QString, QDBusVariant)));
    read(gnomeGroup, gnomeKey);
    read(kdeGroup, kdeKey);
}

std::optional<bool> MotionPreference::reducesMotion(const QString& group, const QString& key,
                                                    const QVariant& value) {
    const auto setting = unwrapped(value);
    if (group == gnomeGroup && key == gnomeKey && setting.metaType() == QMetaType::fromType<bool>())
        return !setting.toBool();
    if (group == kdeGroup && key == kdeKey) {
        bool ok = false;
        const double factor = setting.toDouble(&ok);
        if (ok)
            return factor <= 0;
    }
    return std::nullopt;
}

void MotionPreference::read(const QString& group, const QString& key) {
    auto call =
        QDBusMessage::createMethodCall(QString::fromLatin1(portalService), QString::fromLatin1(portalPath),
                                       QString::fromLatin1(settingsInterface), QStringLiteral("Read"));
    call << group << key;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, 2000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, group, key] {
        watcher->deleteLater();
        QDBusPendingReply<QDBusVariant> reply = *watcher;
        // No portal, or a desktop without this setting: nothing changes.
        if (!reply.isError())
            take(group, key, reply.value().variant());
    });
}

void MotionPreference::settingChanged(const QString& group, const QString& key, const QDBusVariant& value) {
    take(group, key, value.variant());
}

void MotionPreference::take(const QString& group, const QString& key, const QVariant& value) {
    auto reduces = reducesMotion(group, key, value);
    if (!reduces)
        return;
    (group == gnomeGroup ? gnomeReduces_ : kdeReduces_) = *reduces;
    const bool reduce = gnomeReduces_ || kdeReduces_;
    if (reduce == reduceMotion_)
        return;
    reduceMotion_ = reduce;
    Q_EMIT reduceMotionChanged();
}

} // namespace velto
