#include "VeltoDesktop/Setup/GlobeLines.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velto {

namespace {

constexpr double degree = std::numbers::pi / 180;

} // namespace

std::vector<QRectF> GlobeLines::parallels(QSizeF size) {
    const double cx = size.width() / 2;
    const double cy = size.height() / 2;
    const double radius = std::min(size.width(), size.height()) / 2;
    std::vector<QRectF> lines;
    for (int latitude = -60; latitude <= 60; latitude += 30) {
        const double r = radius * std::cos(latitude * degree);
        lines.emplace_back(cx - r, cy - radius * std::sin(latitude * degree) - 0.12 * r, 2 * r, 0.24 * r);
    }
    return lines;
}

std::vector<QRectF> GlobeLines::meridians(QSizeF size, double rotation) {
    const double cx = size.width() / 2;
    const double cy = size.height() / 2;
    const double radius = std::min(size.width(), size.height()) / 2;
    std::vector<QRectF> lines;
    for (int k = 0; k < 6; ++k) {
        const double a = std::abs(radius * std::sin(rotation + k * 30 * degree));
        lines.emplace_back(cx - a, cy - radius, 2 * a, 2 * radius);
    }
    return lines;
}

} // namespace velto
