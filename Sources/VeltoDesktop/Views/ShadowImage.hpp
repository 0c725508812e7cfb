#pragma once

#include <QImage>

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
    /// The width of each border of the nine slices.
    static int border(int cornerRadius, int margin = standardMargin) { return margin + cornerRadius; }
};

} // namespace velto
