#include "VeltoDesktop/Views/TrayInk.hpp"

#include "VeltoDesktop/System/SettingsPortal.hpp"
#include "VeltoDesktop/Views/ColorContrast.hpp"
#include "VeltoDesktop/Views/X11Selections.hpp"

namespace velto {

namespace {

const QString appearance = QStringLiteral("org.freedesktop.appearance");
const QString colorScheme = QStringLiteral("color-scheme");

constexpr unsigned prefersDark = 1;
constexpr unsigned prefersLight = 2;

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
    : QObject(parent), fallback_(std::move(fallback)) {
    // The icon shows meanwhile in the ink known so far.
    auto* portal = new SettingsPortal(std::move(bus), this);
    connect(portal, &SettingsPortal::settingChanged, this,
            [this](const QString& group, const QString& key, const QVariant& value) {
                if (group == appearance && key == colorScheme)
                    take(value);
            });
    portal->read(appearance, colorScheme);
}

QColor TrayInk::ink() const {
    std::optional<QColor> background;
    if (!scheme_ || (*scheme_ != prefersDark && *scheme_ != prefersLight))
        background = X11Selections::trayBackground();
    return choose(scheme_, background, fallback_);
}

void TrayInk::take(const QVariant& scheme) {
    bool ok = false;
    const auto number = scheme.toUInt(&ok);
    const std::optional<unsigned> taken = ok ? std::optional<unsigned>(number) : std::nullopt;
    if (taken == scheme_)
        return;
    scheme_ = taken;
    Q_EMIT changed();
}

} // namespace velto
