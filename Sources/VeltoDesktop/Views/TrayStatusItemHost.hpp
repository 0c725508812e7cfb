#pragma once

#include "VeltoDesktop/Views/StatusItemHost.hpp"

#include <QSystemTrayIcon>
#include <memory>

namespace velto {

/// The status item as a QSystemTrayIcon. Made only once a host was found: Qt keeps its first answer
/// to whether a tray exists, so an icon made before the host appears would never register.
class TrayStatusItemHost final : public StatusItemHost {
    Q_OBJECT

public:
    explicit TrayStatusItemHost(QObject* parent = nullptr);

    void show(const QIcon& icon, const QString& label) override;
    std::optional<QRect> geometry() const override;

private:
    std::unique_ptr<QSystemTrayIcon> icon_;
};

} // namespace velto
