#pragma once

#include <QDBusConnection>
#include <QDBusVariant>
#include <QObject>
#include <QString>
#include <QVariant>

namespace velto {

/// The desktop's settings portal (org.freedesktop.portal.Settings): settings read in the background
/// and followed as they change. A session without a portal, or a desktop without a setting, reports
/// nothing for it. Main thread.
class SettingsPortal final : public QObject {
    Q_OBJECT

public:
    explicit SettingsPortal(QDBusConnection bus, QObject* parent = nullptr);

    /// Asks for one setting; its value comes through `settingChanged` once the portal answers, so a
    /// portal that is slow to start holds nothing up.
    void read(const QString& group, const QString& key);

    /// The value inside the variants the portal wraps it in (`Read` wraps it once more than
    /// `SettingChanged`).
    static QVariant unwrapped(QVariant value);

Q_SIGNALS:
    /// A setting read or changed, its value unwrapped.
    void settingChanged(const QString& group, const QString& key, const QVariant& value);

private Q_SLOTS:
    void portalSettingChanged(const QString& group, const QString& key, const QDBusVariant& value);

private:
    QDBusConnection bus_;
};

} // namespace velto
