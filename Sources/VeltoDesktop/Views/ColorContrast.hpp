#pragma once

#include <QColor>

namespace velto {

/// Contrast between colours as the web's accessibility guidelines measure it: relative luminance
/// of sRGB colours, ratios from 1 to 21. Text needs 4.5:1 (large text and symbols 3:1).
struct ColorContrast {
    static constexpr double text = 4.5;
    static constexpr double largeText = 3.0;
    static constexpr double symbol = 3.0;

    static double luminance(const QColor& color);
    /// The ratio of two opaque colours.
    static double ratio(const QColor& a, const QColor& b);
    /// `color` drawn at its alpha over an opaque background.
    static QColor over(const QColor& color, const QColor& background);
    /// The ratio of `color`, drawn at its alpha, against the background.
    static double against(const QColor& color, const QColor& background) {
        return ratio(over(color, background), background);
    }
    /// `color` with its lightness moved away from the background's, just far enough for `minimum`
    /// (or as far as it goes); a colour that already meets it is kept as it is.
    static QColor readable(const QColor& color, const QColor& background, double minimum);
    /// The smallest alpha from `alpha` up at which `ink` meets `minimum` over the background.
    static QColor readableAlpha(QColor ink, const QColor& background, double alpha, double minimum);
};

} // namespace velto
