#include "VeltoDesktop/Setup/MotionPreference.hpp"

#include "VeltoDesktop/System/SettingsPortal.hpp"

namespace velto {

namespace {

const QString gnomeGroup = QStringLiteral("org.gnome.desktop.interface");
const QString gnomeKey = QStringLiteral("enable-animations");
const QString kdeGroup = QStringLiteral("org.kde.kdeglobals.KDE");
const QString kdeKey = QStringLiteral("AnimationDurationFactor");

} // namespace

MotionPreference::MotionPreference(const Environment& environment, QDBusConnection bus, QObject* parent)
    : QObject(parent) {
    if (auto found = environment.find(overrideVariable); found != environment.end()) {
        if (found->second == "1" || found->second == "0") {
            reduceMotion_ = found->second == "1";
            return;
        }
    }
    auto* portal = new SettingsPortal(std::move(bus), this);
    connect(portal, &SettingsPortal::settingChanged, this, &MotionPreference::take);
    portal->read(gnomeGroup, gnomeKey);
    portal->read(kdeGroup, kdeKey);
}

std::optional<bool> MotionPreference::reducesMotion(const QString& group, const QString& key,
                                                    const QVariant& value) {
    const auto setting = SettingsPortal::unwrapped(value);
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
