#include "VeltoDesktop/Views/ShapedImage.hpp"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace velto {

ShapedImage::Shape ShapedImage::shape(const QString& name) {
    if (name == QLatin1String("circle"))
        return Shape::circle;
    if (name == QLatin1String("rounded"))
        return Shape::rounded;
    return Shape::square;
}

QImage ShapedImage::make(const QImage& picture, QSize pixels, Shape shape) {
    if (pixels.isEmpty())
        pixels = picture.size();
    pixels = pixels.boundedTo(QSize(1024, 1024));
    QImage out(pixels, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    if (picture.isNull() || pixels.isEmpty())
        return out;
    QPainter painter(&out);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF frame(QPointF(0, 0), QSizeF(pixels));
    QPainterPath clip;
    switch (shape) {
    case Shape::circle:
        clip.addEllipse(frame);
        break;
    case Shape::rounded: {
        const double radius = std::min(frame.width(), frame.height()) * 0.25;
        clip.addRoundedRect(frame, radius, radius);
        break;
    }
    case Shape::square:
        clip.addRect(frame);
        break;
    }
    painter.setClipPath(clip);
    const auto filled = QSizeF(picture.size()).scaled(frame.size(), Qt::KeepAspectRatioByExpanding);
    const QRectF target((frame.width() - filled.width()) / 2, (frame.height() - filled.height()) / 2,
                        filled.width(), filled.height());
    painter.drawImage(target, picture);
    return out;
}

} // namespace velto
