#pragma once

#include "VeltoDesktop/Views/BrandArtwork.hpp"
#include "VeltoDevice/Connection/OverallConnection.hpp"

#include <QIcon>
#include <string>

namespace velto {

/// The tray icon for the overall connection: the full glyph when connected, the glyph dimmed with
/// the attention dot when an organization needs attention, the glyph dimmed otherwise; and its label,
/// which is also the tooltip. Dimmed is 0.5, not less: at 0.4 dark ink on a light tray reads below
/// 3:1. The icon carries a themed symbolic name for trays whose theme has it.
struct StatusIconPresentation {
    static constexpr double dimmed = 0.5;

    double opacity = 1.0;
    bool isBadged = false;
    std::string label;
    /// The themed icon's name, symbolic so that the tray draws it in its own ink.
    std::string iconName;

    explicit StatusIconPresentation(OverallConnection overall);

    /// The pixel sides drawn into the icon.
    static constexpr int sides[] = {16, 22, 24, 32, 48};

    /// The glyph drawn in `ink` at every side, named `iconName`; the "circle" symbol when the glyph
    /// is missing, and an empty icon when that is missing too.
    QIcon icon(const BrandArtwork& artwork, const QColor& ink) const;
};

} // namespace velto
