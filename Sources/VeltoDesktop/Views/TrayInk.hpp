#pragma once

#include <QColor>
#include <QDBusConnection>
#include <QObject>
#include <QVariant>
#include <optional>

namespace velto {

/// The ink of the tray icon: the tray's own, not the application's palette (a dark bar under a light
/// application theme hid the icon). The desktop's colour scheme from the settings portal decides
/// ("org.freedesktop.appearance" "color-scheme": 1 dark, 2 light); without a preference, the tray
/// window's background pixel on X11; without that, the palette's ink. Re-chosen when the portal
/// reports a change. Main thread.
class TrayInk final : public QObject {
    Q_OBJECT

public:
    static inline const QColor lightInk{0xff, 0xff, 0xff};
    static inline const QColor darkInk{0x00, 0x00, 0x00};

    /// The choice, from what is known of the tray.
    static QColor choose(std::optional<unsigned> colorScheme, std::optional<QColor> trayBackground,
                         const QColor& fallback);

    TrayInk(QColor fallback, QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);

    QColor ink() const;

Q_SIGNALS:
    void changed();

private:
    void take(const QVariant& value);

    QColor fallback_;
    std::optional<unsigned> scheme_;
};

} // namespace velto
