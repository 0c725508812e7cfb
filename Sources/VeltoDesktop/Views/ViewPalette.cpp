#include "VeltoDesktop/Views/ViewPalette.hpp"

namespace velto {

ViewPalette::ViewPalette(const QPalette& palette, QObject* parent)
    : QObject(parent), window_(palette.color(QPalette::Active, QPalette::Window)),
      ink_(palette.color(QPalette::Active, QPalette::WindowText)),
      accent_(palette.color(QPalette::Active, QPalette::Highlight)),
      accentInk_(palette.color(QPalette::Active, QPalette::HighlightedText)) {}

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
