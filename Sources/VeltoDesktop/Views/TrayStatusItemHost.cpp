#include "VeltoDesktop/Views/TrayStatusItemHost.hpp"

namespace velto {

TrayStatusItemHost::TrayStatusItemHost(QObject* parent)
    : StatusItemHost(parent), icon_(std::make_unique<QSystemTrayIcon>()) {
    connect(icon_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context ||
            reason == QSystemTrayIcon::DoubleClick)
            Q_EMIT activated();
    });
}

void TrayStatusItemHost::show(const QIcon& icon, const QString& label) {
    icon_->setIcon(icon);
    icon_->setToolTip(label);
    if (!icon_->isVisible())
        icon_->show();
}

std::optional<QRect> TrayStatusItemHost::geometry() const {
    const auto rect = icon_->geometry();
    if (!rect.isValid() || rect.isEmpty())
        return std::nullopt;
    return rect;
}

} // namespace velto
