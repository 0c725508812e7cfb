#pragma once

#include <QColor>
#include <QImage>
#include <algorithm>

namespace velto {

/// The card's shadow as a nine-slice image: a rounded rectangle of `cornerRadius` inset by `margin`
/// on every side, blurred by `blurRadius`, in black at `opacity`. Drawn stretched over the card
/// grown by `margin` (its borders `margin + cornerRadius` wide), it gives the soft shadow without an
/// effect item, which the software scene graph would not draw.
struct ShadowImage {
    static constexpr int standardMargin = 24;
    static constexpr int standardBlur = 16;
    static constexpr double standardOpacity = 0.28;

    static QImage make(int cornerRadius, int margin = standardMargin, int blurRadius = standardBlur,
                       double opacity = standardOpacity);
    /// The alpha of `shape` blurred by `blurRadius`, in `color` at `opacity`.
    static QImage blurred(const QImage& shape, int blurRadius, const QColor& color, double opacity);
    /// A soft glow: a disc of `diameter` (1 to 256) in `color` at its alpha, blurred by a quarter of
    /// the diameter, in a square `glowMargin` larger on every side.
    static QImage glow(const QColor& color, int diameter);
    static int glowMargin(int diameter) { return std::max(4, diameter / 2); }
    /// The width of each border of the nine slices.
    static int border(int cornerRadius, int margin = standardMargin) { return margin + cornerRadius; }
};

} // namespace velto
