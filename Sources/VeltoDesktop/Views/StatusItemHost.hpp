#pragma once

#include <QIcon>
#include <QObject>
#include <QRect>
#include <QString>
#include <optional>

namespace velto {

/// Where the status item lives: the desktop's tray. It shows the icon with its label as tooltip and
/// reports clicks; its geometry is known only on trays that give one.
class StatusItemHost : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~StatusItemHost() override = default;

    virtual void show(const QIcon& icon, const QString& label) = 0;
    /// The icon's rectangle on screen, when the tray gives a valid one.
    virtual std::optional<QRect> geometry() const = 0;

Q_SIGNALS:
    /// The icon was clicked (either button).
    void activated();
};

/// Whether a tray is there to host the status item, by our own checks.
class StatusItemHostDetecting {
public:
    virtual ~StatusItemHostDetecting() = default;
    virtual bool hasHost() = 0;
};

} // namespace velto
