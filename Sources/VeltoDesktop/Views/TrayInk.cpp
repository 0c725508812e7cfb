#include "VeltoDesktop/Views/TrayInk.hpp"

#include "VeltoDesktop/Views/ColorContrast.hpp"
#include "VeltoDesktop/Views/X11Selections.hpp"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace velto {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearance = QStringLiteral("org.freedesktop.appearance");
const QString colorScheme = QStringLiteral("color-scheme");

constexpr unsigned prefersDark = 1;
constexpr unsigned prefersLight = 2;

/// The portal's `Read` wraps the value in one variant more than `SettingChanged` does.
QVariant unwrap(QVariant value) {
    while (value.metaType() == QMetaType::fromType<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}

} // namespace

QColor TrayInk::choose(std::optional<unsigned> scheme, std::optional<QColor> trayBackground,
                       const QColor& fallback) {
    if (scheme == prefersDark)
        return lightInk;
    if (scheme == prefersLight)
        return darkInk;
    if (trayBackground) {
        return ColorContrast::ratio(lightInk, *trayBackground) >=
                       ColorContrast::ratio(darkInk, *trayBackground)
                   ? lightInk
                   : darkInk;
    }
    return fallback;
}

TrayInk::TrayInk(QColor fallback, QDBusConnection bus, QObject* parent)
    : QObject(parent), fallback_(std::move(fallback)), bus_(std::move(bus)) {
    if (!bus_.isConnected())
        return;
    bus_.connect(portalService, portalPath, settingsInterface, QStringLiteral("SettingChanged"), this,
                 SLOT(settingChanged(QString, QString, QDBusVariant)));
    read();
}

QColor TrayInk::ink() const {
    std::optional<QColor> background;
    if (!scheme_ || (*scheme_ != prefersDark && *scheme_ != prefersLight))
        background = X11Selections::trayBackground();
    return choose(scheme_, background, fallback_);
}

void TrayInk::read() {
    auto ask =
        QDBusMessage::createMethodCall(portalService, portalPath, settingsInterface, QStringLiteral("Read"));
    ask << appearance << colorScheme;
    // Asynchronous: a portal that is slow to start must not hold up the icon, which shows meanwhile
    // in the ink known so far.
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(ask), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        QDBusPendingReply<QDBusVariant> reply = *call;
        if (reply.isValid())
            take(reply.value().variant());
    });
}

void TrayInk::settingChanged(const QString& space, const QString& key, const QDBusVariant& value) {
    if (space == appearance && key == colorScheme)
        take(value.variant());
}

void TrayInk::take(const QVariant& value) {
    const auto scheme = unwrap(value);
    bool ok = false;
    const auto number = scheme.toUInt(&ok);
    const std::optional<unsigned> taken = ok ? std::optional<unsigned>(number) : std::nullopt;
    if (taken == scheme_)
        return;
    scheme_ = taken;
    Q_EMIT changed();
}

} // namespace velto
