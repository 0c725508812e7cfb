#include "VeltoDesktop/Views/BrandArtwork.hpp"

#include <QFile>
#include <QImageReader>
#include <QPainter>

namespace velto {

namespace {

constexpr std::size_t maximumNameLength = 64;

bool isArtworkName(std::string_view name) {
    if (name.empty() || name.size() > maximumNameLength)
        return false;
    for (char c : name) {
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'))
            return false;
    }
    return true;
}

} // namespace

std::vector<QString> BrandArtwork::standardFolders() {
    return {QStringLiteral(":/Velto/Views/Artwork"), QStringLiteral(":/Velto/Views/Symbols"),
            QStringLiteral(":/Velto/Setup/Symbols")};
}

BrandArtwork::BrandArtwork(std::vector<QString> folders) : folders_(std::move(folders)) {}

std::optional<QString> BrandArtwork::file(std::string_view name) const {
    if (!isArtworkName(name))
        return std::nullopt;
    const auto fileName = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())) + ".svg";
    for (const auto& folder : folders_) {
        auto path = folder + '/' + fileName;
        if (QFile::exists(path))
            return path;
    }
    return std::nullopt;
}

std::optional<QImage> BrandArtwork::render(std::string_view name, QSize pixels, const QColor& ink,
                                           double opacity) const {
    auto path = file(name);
    if (!path || pixels.isEmpty())
        return std::nullopt;
    // Through Qt's image plugin for SVG, loaded when first drawn, so that the executable (whose tray
    // draws these) does not link the SVG library.
    QImageReader reader(*path, "svg");
    const auto natural = reader.size();
    if (natural.isEmpty())
        return std::nullopt;
    const auto drawn = natural.scaled(pixels, Qt::KeepAspectRatio);
    reader.setScaledSize(drawn);
    const auto shape = reader.read();
    if (shape.isNull())
        return std::nullopt;
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.drawImage(
            QPoint((pixels.width() - drawn.width()) / 2, (pixels.height() - drawn.height()) / 2), shape);
        // A template: whatever the file's colours, the shape takes the ink.
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        auto color = ink;
        color.setAlphaF(static_cast<float>(color.alphaF() * opacity));
        painter.fillRect(image.rect(), color);
    }
    return image;
}

std::optional<QImage> BrandArtwork::menuBarImage(int side, const QColor& ink, double opacity,
                                                 bool isBadged) const {
    auto image = render("menu-bar-v", QSize(side, side), ink, opacity);
    if (!image)
        return std::nullopt;
    if (isBadged) {
        QPainter painter(&*image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ink);
        const double d = 0.4 * side;
        painter.drawEllipse(QRectF(side - d, 0, d, d));
    }
    return image;
}

} // namespace velto
