#include "VeltoDesktop/Views/RemoteImageProvider.hpp"

#include "VeltoDesktop/Views/ShapedImage.hpp"

#include <QStringList>

namespace velto {

RemoteImageProvider::RemoteImageProvider(Lookup lookup)
    : QQuickImageProvider(QQuickImageProvider::Image), lookup_(std::move(lookup)) {}

QImage RemoteImageProvider::requestImage(const QString& id, QSize* size, const QSize& requestedSize) {
    QImage picture;
    const auto parts = id.size() <= 128 ? id.split('/') : QStringList();
    bool ok = false;
    const auto number = parts.isEmpty() ? 0 : parts.front().toULongLong(&ok);
    if (ok) {
        if (auto found = lookup_(number))
            picture = std::move(*found);
    }
    const auto shape = ShapedImage::shape(parts.size() >= 3 ? parts[2] : QString());
    auto shaped = picture.isNull() ? QImage() : ShapedImage::make(picture, requestedSize, shape);
    if (shaped.isNull()) {
        shaped = QImage(1, 1, QImage::Format_ARGB32_Premultiplied);
        shaped.fill(Qt::transparent);
    }
    if (size)
        *size = shaped.size();
    return shaped;
}

} // namespace velto
