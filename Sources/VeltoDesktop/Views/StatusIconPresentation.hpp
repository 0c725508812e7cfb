#pragma once

#include "VeltoDesktop/Views/BrandArtwork.hpp"
#include "VeltoDevice/Connection/OverallConnection.hpp"

#include <QIcon>
#include <string>

namespace velto {

/// The tray icon for the overall connection: the full glyph when connected, the glyph at 0.4 with
/// the attention dot when an organization needs attention, the glyph at 0.4 otherwise; and its label,
/// which is also the tooltip.
struct StatusIconPresentation {
    double opacity = 1.0;
    bool isBadged = false;
    std::string label;

    explicit StatusIconPresentation(OverallConnection overall);

    /// The pixel sides drawn into the icon.
    static constexpr int sides[] = {16, 22, 24, 32, 48};

    /// The glyph drawn in `ink` at every side; the "circle" symbol when the glyph is missing, and an
    /// empty icon when that is missing too.
    QIcon icon(const BrandArtwork& artwork, const QColor& ink) const;
};

} // namespace velto
