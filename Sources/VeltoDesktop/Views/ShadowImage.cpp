#include "VeltoDesktop/Views/ShadowImage.hpp"

#include <QPainter>
#include <algorithm>
#include <vector>

namespace velto {

namespace {

/// One box blur pass of the alpha channel along rows (`horizontal`) or columns.
void boxBlur(std::vector<float>& alpha, int width, int height, int radius, bool horizontal) {
    std::vector<float> out(alpha.size());
    const int lines = horizontal ? height : width;
    const int length = horizontal ? width : height;
    auto at = [&](int line, int i) -> float& {
        return horizontal ? alpha[static_cast<std::size_t>(line * width + i)]
                          : alpha[static_cast<std::size_t>(i * width + line)];
    };
    auto outAt = [&](int line, int i) -> float& {
        return horizontal ? out[static_cast<std::size_t>(line * width + i)]
                          : out[static_cast<std::size_t>(i * width + line)];
    };
    const float span = static_cast<float>(2 * radius + 1);
    for (int line = 0; line < lines; ++line) {
        float sum = 0;
        for (int i = -radius; i <= radius; ++i)
            sum += (i >= 0 && i < length) ? at(line, i) : 0.0f;
        for (int i = 0; i < length; ++i) {
            outAt(line, i) = sum / span;
            const int leaving = i - radius;
            const int entering = i + radius + 1;
            if (leaving >= 0)
                sum -= at(line, leaving);
            if (entering < length)
                sum += at(line, entering);
        }
    }
    alpha.swap(out);
}

/// A transparent square of `side` with the outline that `draw` paints filled in black, smoothly.
template <typename Draw> QImage blackShape(int side, Draw draw) {
    QImage shape(side, side, QImage::Format_ARGB32_Premultiplied);
    shape.fill(Qt::transparent);
    QPainter painter(&shape);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    draw(painter);
    painter.end();
    return shape;
}

} // namespace

QImage ShadowImage::make(int cornerRadius, int margin, int blurRadius, double opacity) {
    const int side = 2 * border(cornerRadius, margin) + 1;
    const auto shape = blackShape(side, [&](QPainter& painter) {
        painter.drawRoundedRect(QRectF(margin, margin, side - 2 * margin, side - 2 * margin), cornerRadius,
                                cornerRadius);
    });
    return blurred(shape, blurRadius, Qt::black, opacity);
}

QImage ShadowImage::blurred(const QImage& shape, int blurRadius, const QColor& color, double opacity) {
    const int width = shape.width();
    const int height = shape.height();
    const auto source = shape.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    std::vector<float> alpha(static_cast<std::size_t>(width * height));
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        for (int x = 0; x < width; ++x)
            alpha[static_cast<std::size_t>(y * width + x)] = static_cast<float>(qAlpha(line[x])) / 255.0f;
    }
    // Three box passes each way come close to a gaussian of the blur radius.
    const int pass = std::max(1, blurRadius / 3);
    for (int round = 0; round < 3; ++round) {
        boxBlur(alpha, width, height, pass, true);
        boxBlur(alpha, width, height, pass, false);
    }
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    const auto rgb = color.toRgb();
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int a = std::clamp(
                static_cast<int>(alpha[static_cast<std::size_t>(y * width + x)] * opacity * 255.0 + 0.5), 0,
                255);
            // Premultiplied.
            line[x] = qRgba(rgb.red() * a / 255, rgb.green() * a / 255, rgb.blue() * a / 255, a);
        }
    }
    return image;
}

QImage ShadowImage::glow(const QColor& color, int diameter) {
    diameter = std::clamp(diameter, 1, 256);
    const int blur = std::max(2, diameter / 4);
    const int margin = glowMargin(diameter);
    const int side = diameter + 2 * margin;
    const auto shape = blackShape(
        side, [&](QPainter& painter) { painter.drawEllipse(QRectF(margin, margin, diameter, diameter)); });
    auto opaque = color;
    opaque.setAlpha(255);
    return blurred(shape, blur, opaque, color.alphaF());
}

} // namespace velto
