#include "VeltoDesktop/Views/ColorContrast.hpp"

#include <algorithm>
#include <cmath>

namespace velto {

namespace {

double linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

} // namespace

double ColorContrast::luminance(const QColor& color) {
    const auto rgb = color.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

double ColorContrast::ratio(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ColorContrast::over(const QColor& color, const QColor& background) {
    const auto fg = color.toRgb();
    const auto bg = background.toRgb();
    const double a = fg.alphaF();
    auto mix = [a](double f, double b) { return static_cast<float>(f * a + b * (1 - a)); };
    return QColor::fromRgbF(mix(fg.redF(), bg.redF()), mix(fg.greenF(), bg.greenF()),
                            mix(fg.blueF(), bg.blueF()));
}

QColor ColorContrast::readable(const QColor& color, const QColor& background, double minimum) {
    if (against(color, background) >= minimum)
        return color;
    // Away from the background: darker on a light one, lighter on a dark one.
    const bool darken = ratio(Qt::black, background) >= ratio(Qt::white, background);
    auto hsl = color.toHsl();
    float hue = 0, saturation = 0, lightness = 0, alpha = 0;
    hsl.getHslF(&hue, &saturation, &lightness, &alpha);
    QColor candidate = color;
    for (int step = 1; step <= 100; ++step) {
        const float moved = darken ? lightness * (1.0f - static_cast<float>(step) / 100.0f)
                                   : lightness + (1.0f - lightness) * static_cast<float>(step) / 100.0f;
        candidate = QColor::fromHslF(hue, saturation, std::clamp(moved, 0.0f, 1.0f), alpha);
        if (against(candidate, background) >= minimum)
            break;
    }
    return candidate.toRgb();
}

QColor ColorContrast::readableAlpha(QColor ink, const QColor& background, double alpha, double minimum) {
    for (double a = alpha; a < 1.0; a += 0.01) {
        ink.setAlphaF(static_cast<float>(a));
        if (against(ink, background) >= minimum)
            return ink;
    }
    ink.setAlphaF(1.0f);
    return ink;
}

} // namespace velto
