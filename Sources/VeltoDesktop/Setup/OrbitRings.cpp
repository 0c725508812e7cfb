#include "VeltoDesktop/Setup/OrbitRings.hpp"

#include "VeltoDesktop/Setup/Orbiter.hpp"

#include <QPainter>
#include <QPen>
#include <QtMath>
#include <algorithm>
#include <cmath>

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
    // Just the rings' bounds, in even points, so that centred on an even side it lies on whole pixels
    // and no more of it is blended into each frame than the rings need.
    qreal halfWidth = 0;
    qreal halfHeight = 0;
    for (const auto& orbit : Orbiter::Orbit::all()) {
        const qreal a = orbit.radius * side_;
        const qreal b = a * orbit.flatness;
        const qreal tilt = qDegreesToRadians(orbit.tiltDegrees);
        halfWidth = std::max(halfWidth, std::hypot(a * std::cos(tilt), b * std::sin(tilt)));
        halfHeight = std::max(halfHeight, std::hypot(a * std::sin(tilt), b * std::cos(tilt)));
    }
    setImplicitSize(2 * std::ceil(halfWidth + 1), 2 * std::ceil(halfHeight + 1));
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
