#pragma once

#include <QColor>
#include <QString>
#include <array>
#include <optional>

namespace velto {

/// The sample review the terminal picture types out, one line every 0.9 s, then holds and starts again.
struct TerminalScript {
    static constexpr double period = 0.9;
    static constexpr double reducedPeriod = 3600;

    struct Line {
        enum class Kind { command, note, finding };

        int id = 0;
        Kind kind = Kind::note;
        QString text;
        /// A finding's badge, its fill and its lettering.
        QString badge;
        QColor badgeFill;
        QColor badgeText;
    };

    /// The colours of the terminal window, in sRGB.
    struct Palette {
        static QColor window() { return QColor::fromRgbF(0.11f, 0.11f, 0.13f); }
        static QColor text() { return QColor::fromRgbF(0.92f, 0.92f, 0.92f); }
        static QColor quiet() { return QColor::fromRgbF(0.58f, 0.58f, 0.58f); }
        static QColor prompt() { return QColor::fromRgbF(0.96f, 0.73f, 0.2f); }
        static QColor high() { return QColor::fromRgbF(1.0f, 0.42f, 0.1f); }
        static QColor medium() { return QColor::fromRgbF(1.0f, 0.84f, 0.1f); }
    };

    static const std::array<Line, 5>& review();
    /// The lines plus four beats of holding.
    static constexpr int beats = 9;

    /// With reduced motion the whole review; otherwise min(5, (n mod 9) + 1) for tick n.
    static int linesShown(double time, bool reduceMotion);
};

} // namespace velto
