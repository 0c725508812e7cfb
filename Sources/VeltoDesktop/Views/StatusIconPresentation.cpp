#include "VeltoDesktop/Views/StatusIconPresentation.hpp"

#include <QPixmap>

namespace velto {

StatusIconPresentation::StatusIconPresentation(OverallConnection overall) {
    switch (overall) {
    case OverallConnection::connected:
        opacity = 1.0;
        label = "Velto, connected";
        break;
    case OverallConnection::needsAttention:
        opacity = 0.4;
        isBadged = true;
        label = "Velto, needs attention";
        break;
    case OverallConnection::notEnrolled:
    case OverallConnection::connecting:
    case OverallConnection::offline:
        opacity = 0.4;
        label = "Velto, offline";
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
