#pragma once

#include "VeltoDevice/Support/Environment.hpp"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariant>
#include <optional>

namespace velto {

/// Whether the user asked the desktop for less motion. VELTO_REDUCE_MOTION=1 (or 0) decides outright;
/// otherwise the desktop's settings portal is asked in the background and followed as it changes:
/// animations switched off in the GNOME interface settings, or KDE's animation speed at 0. Until the
/// portal answers, and without one, motion is not reduced.
class MotionPreference final : public QObject {
    Q_OBJECT

public:
    static constexpr const char* overrideVariable = "VELTO_REDUCE_MOTION";

    MotionPreference(const Environment& environment, QDBusConnection bus, QObject* parent = nullptr);

    bool reduceMotion() const { return reduceMotion_; }

    /// What one portal setting says about motion; nothing for a setting that says nothing of it.
    static std::optional<bool> reducesMotion(const QString& group, const QString& key, const QVariant& value);

Q_SIGNALS:
    void reduceMotionChanged();

private:
    void take(const QString& group, const QString& key, const QVariant& value);

    bool reduceMotion_ = false;
    bool gnomeReduces_ = false;
    bool kdeReduces_ = false;
};

} // namespace velto
