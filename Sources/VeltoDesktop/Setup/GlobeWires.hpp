#pragma once

#include <QColor>
#include <QImage>
#include <QQuickPaintedItem>

namespace velto {

/// The wire globe's lines in a square of `globeSide` at the item's top-left corner: the five
/// parallels, drawn once per size and colour and kept, under the six meridians of the moment `time`,
/// the only lines that move. Each line is stroked on its own, so lines that cross are darker where
/// they do. The item may be a little larger than the globe, so that its texture lies on whole pixels.
class GlobeWires : public QQuickPaintedItem {
    Q_OBJECT
    Q_PROPERTY(qreal globeSide READ globeSide WRITE setGlobeSide NOTIFY globeSideChanged)
    Q_PROPERTY(double time READ time WRITE setTime NOTIFY timeChanged)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)

public:
    explicit GlobeWires(QQuickItem* parent = nullptr);

    qreal globeSide() const { return globeSide_; }
    void setGlobeSide(qreal side);
    double time() const { return time_; }
    void setTime(double time);
    QColor color() const { return color_; }
    void setColor(const QColor& color);

    void paint(QPainter* painter) override;

Q_SIGNALS:
    void globeSideChanged();
    void timeChanged();
    void colorChanged();

private:
    const QImage& parallels(qreal pixelRatio);

    qreal globeSide_ = 0;
    double time_ = 0;
    QColor color_;
    QImage parallels_;
};

} // namespace velto
