#include "VeltoDesktop/Views/ViewPalette.hpp"

#include "VeltoDesktop/Views/ColorContrast.hpp"

namespace velto {

ViewPalette::ViewPalette(const QPalette& palette, QObject* parent)
    : QObject(parent), window_(palette.color(QPalette::Active, QPalette::Window)) {
    window_.setAlpha(255);
    constexpr auto text = ColorContrast::text;
    ink_ = ColorContrast::readable(palette.color(QPalette::Active, QPalette::WindowText), window_, text);
    secondary_ = ColorContrast::readableAlpha(ink_, window_, 0.62, text);
    tertiary_ = ColorContrast::readableAlpha(ink_, window_, 0.40, text);
    const auto highlight = palette.color(QPalette::Active, QPalette::Highlight);
    accent_ = ColorContrast::readable(highlight, window_, text);
    accentInk_ = palette.color(QPalette::Active, QPalette::HighlightedText);
    accentFill_ = ColorContrast::readable(highlight, accentInk_, text);
    green_ = ColorContrast::readable(QColor(0x2f, 0xa1, 0x4f), window_, text);
    orange_ = ColorContrast::readable(QColor(0xe0, 0x7b, 0x0a), window_, text);
    red_ = ColorContrast::readable(QColor(0xd6, 0x3a, 0x2f), window_, text);
    redFill_ = ColorContrast::readable(QColor(0xd6, 0x3a, 0x2f), Qt::white, text);
}

QColor ViewPalette::color(Tint tint) const {
    switch (tint) {
    case Tint::primary:
        return ink();
    case Tint::secondary:
        return secondary();
    case Tint::tertiary:
        return tertiary();
    case Tint::green:
        return green();
    case Tint::orange:
        return orange();
    case Tint::red:
        return red();
    case Tint::accent:
        return accent();
    }
    return ink();
}

} // namespace velto
