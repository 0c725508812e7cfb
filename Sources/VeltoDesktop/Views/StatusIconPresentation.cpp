#include "VeltoDesktop/Views/StatusIconPresentation.hpp"

#include "VeltoDesktop/UserTexts.hpp"

#include <QPixmap>

namespace velto {

StatusIconPresentation::StatusIconPresentation(OverallConnection overall) {
    switch (overall) {
    case OverallConnection::connected:
        opacity = 1.0;
        label = UserTexts::statusIconLabel(UserTexts::StatusIcon::connected).toStdString();
        break;
    case OverallConnection::needsAttention:
        opacity = 0.4;
        isBadged = true;
        label = UserTexts::statusIconLabel(UserTexts::StatusIcon::needsAttention).toStdString();
        break;
    case OverallConnection::notEnrolled:
    case OverallConnection::connecting:
    case OverallConnection::offline:
        opacity = 0.4;
        label = UserTexts::statusIconLabel(UserTexts::StatusIcon::offline).toStdString();
        break;
    }
}

QIcon StatusIconPresentation::icon(const BrandArtwork& artwork, const QColor& ink) const {
    QIcon out;
    for (int side : sides) {
        auto image = artwork.menuBarImage(side, ink, opacity, isBadged);
        if (!image)
            image = artwork.render("circle", QSize(side, side), ink);
        if (image)
            out.addPixmap(QPixmap::fromImage(*image));
    }
    return out;
}

} // namespace velto
