#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace velto {

/// A picture fitted to a frame for the views: scaled to fill `pixels` keeping its aspect ratio, cut
/// to the frame's centre, and cut to a shape, since the software scene graph clips only to rectangles.
struct ShapedImage {
    enum class Shape { square, circle, rounded };

    /// "circle", "rounded" (corners of a quarter of the side), anything else square.
    static Shape shape(const QString& name);
    /// `pixels` falls back to the picture's own size when it is empty.
    static QImage make(const QImage& picture, QSize pixels, Shape shape);
};

} // namespace velto
