#pragma once

#include <QRect>
#include <QSize>
#include <optional>
#include <vector>

namespace velto {

/// Where the panel goes, in logical pixels with y growing downwards: centred on the anchor (the tray
/// icon's rectangle, or the pointer), below it when the anchor is in the upper half of its screen and
/// above it otherwise, with the card kept `edgeGap` inside the screen's work area on every side and
/// its height capped to the room on its side of the anchor (the content scrolls), never over it. The screen
/// is the one holding the anchor's centre, else the one overlapping it most, else the primary one.
struct PanelPlacement {
    struct Screen {
        QRect geometry;
        /// The work area: the geometry less panels and docks.
        QRect available;
        bool isPrimary = false;
    };

    static constexpr int edgeGap = 8;
    static constexpr int anchorGap = 6;

    /// The window's frame: the card plus `margin` on every side.
    QRect frame;
    /// The card's height after the cap.
    int cardHeight = 0;
    bool opensAbove = false;
    /// The index of the screen used; nothing without screens.
    std::optional<std::size_t> screen;

    /// `card` is the card's own size; `margin` the transparent margin around it (0 for an opaque
    /// card). Without any screen, the panel goes below the anchor, unclamped.
    static PanelPlacement place(QRect anchor, QSize card, int margin, const std::vector<Screen>& screens);
    /// The screen `place` would use.
    static std::optional<std::size_t> screenFor(QRect anchor, const std::vector<Screen>& screens);
};

} // namespace velto
