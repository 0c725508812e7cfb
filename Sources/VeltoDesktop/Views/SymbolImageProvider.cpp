#include "VeltoDesktop/Views/SymbolImageProvider.hpp"

#include <QUrlQuery>
#include <algorithm>

namespace velto {

namespace {

constexpr qsizetype maximumIdLength = 256;
constexpr int maximumSide = 1024;

} // namespace

SymbolImageProvider::SymbolImageProvider(BrandArtwork artwork, QColor ink)
    : QQuickImageProvider(QQuickImageProvider::Image), artwork_(std::move(artwork)), ink_(std::move(ink)) {}

QImage SymbolImageProvider::requestImage(const QString& id, QSize* size, const QSize& requestedSize) {
    QImage empty(1, 1, QImage::Format_ARGB32_Premultiplied);
    empty.fill(Qt::transparent);
    if (size)
        *size = empty.size();
    if (id.size() > maximumIdLength)
        return empty;
    const auto mark = id.indexOf('?');
    const auto name = (mark < 0 ? id : id.left(mark)).toStdString();
    QUrlQuery query(mark < 0 ? QString() : id.mid(mark + 1));
    auto color = ink_;
    if (query.hasQueryItem("color")) {
        QColor asked(query.queryItemValue("color", QUrl::FullyDecoded));
        if (asked.isValid())
            color = asked;
    }
    double opacity = 1.0;
    if (query.hasQueryItem("opacity")) {
        bool ok = false;
        const double asked = query.queryItemValue("opacity").toDouble(&ok);
        if (ok)
            opacity = std::clamp(asked, 0.0, 1.0);
    }
    QSize pixels(16, 16);
    if (requestedSize.width() > 0 && requestedSize.height() > 0)
        pixels = requestedSize.boundedTo(QSize(maximumSide, maximumSide));
    else if (requestedSize.width() > 0 || requestedSize.height() > 0) {
        const int side = std::min(std::max(requestedSize.width(), requestedSize.height()), maximumSide);
        pixels = QSize(side, side);
    }
    auto image = artwork_.render(name, pixels, color, opacity);
    if (!image)
        return empty;
    if (size)
        *size = image->size();
    return *image;
}

} // namespace velto
