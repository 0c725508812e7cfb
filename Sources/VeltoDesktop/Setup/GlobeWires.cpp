#include "VeltoDesktop/Setup/GlobeWires.hpp"

#include "VeltoDesktop/Setup/GlobeLines.hpp"

#include <QPainter>
#include <QPen>
#include <cmath>

namespace velto {

namespace {

void strokeEllipses(QPainter& painter, const std::vector<QRectF>& ellipses, const QColor& color) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color, 1));
    painter.setBrush(Qt::NoBrush);
    for (const auto& ellipse : ellipses)
        painter.drawEllipse(ellipse);
}

} // namespace

GlobeWires::GlobeWires(QQuickItem* parent) : QQuickPaintedItem(parent) {
    setAntialiasing(true);
    connect(this, &QQuickItem::widthChanged, this, [this] { update(); });
    connect(this, &QQuickItem::heightChanged, this, [this] { update(); });
}

void GlobeWires::setGlobeSide(qreal side) {
    if (qFuzzyCompare(side, globeSide_))
        return;
    globeSide_ = side;
    parallels_ = {};
    update();
    Q_EMIT globeSideChanged();
}

void GlobeWires::setTime(double time) {
    if (time == time_)
        return;
    time_ = time;
    update();
    Q_EMIT timeChanged();
}

void GlobeWires::setColor(const QColor& color) {
    if (color == color_)
        return;
    color_ = color;
    parallels_ = {};
    update();
    Q_EMIT colorChanged();
}

const QImage& GlobeWires::parallels(qreal pixelRatio) {
    const QSize pixels(static_cast<int>(std::ceil(width() * pixelRatio)),
                       static_cast<int>(std::ceil(height() * pixelRatio)));
    if (parallels_.size() != pixels || parallels_.devicePixelRatio() != pixelRatio) {
        parallels_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        parallels_.setDevicePixelRatio(pixelRatio);
        parallels_.fill(Qt::transparent);
        QPainter painter(&parallels_);
        strokeEllipses(painter, GlobeLines::parallels(QSizeF(globeSide_, globeSide_)), color_);
    }
    return parallels_;
}

void GlobeWires::paint(QPainter* painter) {
    const auto pixelRatio = painter->device()->devicePixelRatioF();
    painter->drawImage(QPointF(0, 0), parallels(pixelRatio));
    const QSizeF globe(globeSide_, globeSide_);
    strokeEllipses(*painter, GlobeLines::meridians(globe, GlobeLines::rotation(time_)), color_);
}

} // namespace velto
