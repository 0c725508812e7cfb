#pragma once

#include <QRectF>
#include <QSizeF>
#include <vector>

namespace velto {

/// The wire globe's ellipses in a canvas of one size: five parallels that stay, and six meridians
/// that widen and narrow as the globe turns.
struct GlobeLines {
    /// Latitudes −60° to 60° in steps of 30°.
    static std::vector<QRectF> parallels(QSizeF size);
    /// For k = 0 to 5, half-width |R sin(rotation + k · 30°)|, full height.
    static std::vector<QRectF> meridians(QSizeF size, double rotation);
    /// The globe's rotation at `time`: 0.35 rad per second.
    static double rotation(double time) { return 0.35 * time; }
};

} // namespace velto
