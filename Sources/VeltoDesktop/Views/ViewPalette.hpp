#pragma once

#include "VeltoDesktop/Views/Tint.hpp"

#include <QColor>
#include <QObject>
#include <QPalette>

namespace velto {

/// The colours every view takes, from the application's palette: the window and its ink, the ink's
/// softer steps, the accent and the status colours. Read once; the views bind to it as `theme`.
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
    Q_PROPERTY(QColor green READ green CONSTANT)
    Q_PROPERTY(QColor orange READ orange CONSTANT)
    Q_PROPERTY(QColor red READ red CONSTANT)

public:
    explicit ViewPalette(const QPalette& palette, QObject* parent = nullptr);

    QColor window() const { return window_; }
    QColor ink() const { return ink_; }
    QColor secondary() const { return withAlpha(ink_, 0.62); }
    QColor tertiary() const { return withAlpha(ink_, 0.40); }
    QColor quaternary() const { return withAlpha(ink_, 0.16); }
    QColor hairline() const { return withAlpha(ink_, 0.14); }
    QColor accent() const { return accent_; }
    QColor accentInk() const { return accentInk_; }
    QColor green() const { return QColor(0x2f, 0xa1, 0x4f); }
    QColor orange() const { return QColor(0xe0, 0x7b, 0x0a); }
    QColor red() const { return QColor(0xd6, 0x3a, 0x2f); }

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
    QColor accent_;
    QColor accentInk_;
};

} // namespace velto
