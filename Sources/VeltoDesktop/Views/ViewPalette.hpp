#pragma once

#include "VeltoDesktop/Views/Tint.hpp"

#include <QColor>
#include <QObject>
#include <QPalette>

namespace velto {

/// The colours every view takes, from the application's palette: the window and its ink, the ink's
/// softer steps, the accent and the status colours. Every colour that draws text is moved just far
/// enough from the window (or, for fills, from the ink on them) to read at 4.5:1: a desktop's
/// highlight, or our orange on a light window, may not. Read once; the views bind to it as `theme`.
class ViewPalette final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QColor window READ window CONSTANT)
    Q_PROPERTY(QColor ink READ ink CONSTANT)
    Q_PROPERTY(QColor secondary READ secondary CONSTANT)
    Q_PROPERTY(QColor tertiary READ tertiary CONSTANT)
    Q_PROPERTY(QColor quaternary READ quaternary CONSTANT)
    Q_PROPERTY(QColor hairline READ hairline CONSTANT)
    Q_PROPERTY(QColor accent READ accent CONSTANT)
    Q_PROPERTY(QColor accentInk READ accentInk CONSTANT)
    Q_PROPERTY(QColor accentFill READ accentFill CONSTANT)
    Q_PROPERTY(QColor redFill READ redFill CONSTANT)
    Q_PROPERTY(QColor green READ green CONSTANT)
    Q_PROPERTY(QColor orange READ orange CONSTANT)
    Q_PROPERTY(QColor red READ red CONSTANT)

public:
    explicit ViewPalette(const QPalette& palette, QObject* parent = nullptr);

    QColor window() const { return window_; }
    QColor ink() const { return ink_; }
    QColor secondary() const { return secondary_; }
    QColor tertiary() const { return tertiary_; }
    QColor quaternary() const { return withAlpha(ink_, 0.16); }
    QColor hairline() const { return withAlpha(ink_, 0.14); }
    /// The accent as text and symbols on the window.
    QColor accent() const { return accent_; }
    /// The ink on `accentFill`, the accent as a button's or a highlight's fill.
    QColor accentInk() const { return accentInk_; }
    QColor accentFill() const { return accentFill_; }
    QColor green() const { return green_; }
    QColor orange() const { return orange_; }
    QColor red() const { return red_; }
    /// Red as a destructive button's fill under white ink.
    QColor redFill() const { return redFill_; }

    /// The colour of a presenter's tint.
    QColor color(Tint tint) const;
    Q_INVOKABLE QColor tint(int tint) const { return color(static_cast<Tint>(tint)); }

private:
    static QColor withAlpha(QColor color, double alpha) {
        color.setAlphaF(static_cast<float>(alpha));
        return color;
    }

    QColor window_;
    QColor ink_;
    QColor secondary_;
    QColor tertiary_;
    QColor accent_;
    QColor accentInk_;
    QColor accentFill_;
    QColor green_;
    QColor orange_;
    QColor red_;
    QColor redFill_;
};

} // namespace velto
