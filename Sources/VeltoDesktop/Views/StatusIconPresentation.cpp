#include "VeltoDesktop/Views/StatusIconPresentation.hpp"

#include "VeltoDesktop/UserTexts.hpp"
#include "VeltoDesktop/Views/NamedIconEngine.hpp"

#include <QPixmap>

namespace velto {

StatusIconPresentation::StatusIconPresentation(OverallConnection overall) {
    switch (overall) {
    case OverallConnection::connected:
        opacity = 1.0;
        label = UserTexts::statusIconLabel(UserTexts::StatusIcon::connected).toStdString();
        iconName = "velto-connected-symbolic";
        break;
    case OverallConnection::needsAttention:
        opacity = dimmed;
        isBadged = true;
        label = UserTexts::statusIconLabel(UserTexts::StatusIcon::needsAttention).toStdString();
        iconName = "velto-attention-symbolic";
        break;
    case OverallConnection::notEnrolled:
    case OverallConnection::connecting:
    case OverallConnection::offline:
        opacity = dimmed;
        label = UserTexts::statusIconLabel(UserTexts::StatusIcon::offline).toStdString();
        iconName = "velto-offline-symbolic";
        break;
    }
}

QIcon StatusIconPresentation::icon(const BrandArtwork& artwork, const QColor& ink) const {
    QList<QPixmap> drawn;
    for (int side : sides) {
        auto image = artwork.menuBarImage(side, ink, opacity, isBadged);
        if (!image)
            image = artwork.render("circle", QSize(side, side), ink);
        if (image)
            drawn.push_back(QPixmap::fromImage(*image));
    }
    if (drawn.isEmpty())
        return {};
    return QIcon(new NamedIconEngine(QString::fromStdString(iconName), drawn));
}

} // namespace velto
