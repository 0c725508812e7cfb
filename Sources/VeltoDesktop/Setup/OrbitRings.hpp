#pragma once

#include <QColor>
#include <QQuickPaintedItem>

namespace velto {

/// The globe's three orbits as thin tilted ellipses about the item's centre, each 2 · radius · side
/// wide; its implicit size is their bounds. They never move: the drawing is made once per size and
/// colour and kept as the item's texture, so a frame of the turning globe costs one textured quad
/// for them.
class OrbitRings : public QQuickPaintedItem {
    Q_OBJECT
    Q_PROPERTY(qreal side READ side WRITE setSide NOTIFY sideChanged)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)

public:
    explicit OrbitRings(QQuickItem* parent = nullptr);

    qreal side() const { return side_; }
    void setSide(qreal side);
    QColor color() const { return color_; }
    void setColor(const QColor& color);

    void paint(QPainter* painter) override;

Q_SIGNALS:
    void sideChanged();
    void colorChanged();

private:
    qreal side_ = 0;
    QColor color_;
};

} // namespace velto
