#include "VeltoDesktop/Setup/OrbitRings.hpp"

#include "VeltoDesktop/Setup/Orbiter.hpp"

#include <QPainter>
#include <QPen>

namespace velto {

OrbitRings::OrbitRings(QQuickItem* parent) : QQuickPaintedItem(parent) {
    setAntialiasing(true);
    connect(this, &QQuickItem::widthChanged, this, [this] { update(); });
    connect(this, &QQuickItem::heightChanged, this, [this] { update(); });
}

void OrbitRings::setSide(qreal side) {
    if (qFuzzyCompare(side, side_))
        return;
    side_ = side;
    update();
    Q_EMIT sideChanged();
}

void OrbitRings::setColor(const QColor& color) {
    if (color == color_)
        return;
    color_ = color;
    update();
    Q_EMIT colorChanged();
}

void OrbitRings::paint(QPainter* painter) {
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(color_, 1));
    painter->setBrush(Qt::NoBrush);
    for (const auto& orbit : Orbiter::Orbit::all()) {
        const qreal ringWidth = 2 * orbit.radius * side_;
        const qreal ringHeight = ringWidth * orbit.flatness;
        painter->save();
        painter->translate(width() / 2, height() / 2);
        painter->rotate(orbit.tiltDegrees);
        painter->drawEllipse(QRectF(-ringWidth / 2, -ringHeight / 2, ringWidth, ringHeight));
        painter->restore();
    }
}

} // namespace velto
