#pragma once

#include "VeltoDesktop/Setup/PairStage.hpp"
#include "VeltoDesktop/Views/Tint.hpp"

#include <QPointF>
#include <QSizeF>
#include <QString>
#include <optional>
#include <vector>

namespace velto {

/// The pairing picture at one moment: this machine and the service joined by an arc, pulses running
/// along it while pairing is under way, and the outcome's badge at its middle. A function of the
/// stage, the picture's size and the time (seconds since 1 January 2001 UTC).
struct PairingScene {
    /// The arc: a quadratic curve from this machine over `control` to the service.
    struct Arc {
        QPointF start;
        QPointF control;
        QPointF end;

        /// (0.2 w, 0.58 h) over (0.5 w, 0.18 h) to (0.8 w, 0.58 h).
        static Arc in(QSizeF size);
        /// The curve's point at t in [0, 1].
        QPointF point(double t) const;

        friend bool operator==(const Arc&, const Arc&) = default;
    };
    struct Pulse {
        /// Where on the arc, in [0, 1).
        double t = 0;
        QPointF center;
        /// sin(π t): brightest at the apex.
        double opacity = 0;
    };
    struct Badge {
        QString symbol;
        Tint tint = Tint::green;
        QPointF center;
    };

    Arc arc;
    Tint tint = Tint::secondary;
    double arcOpacity = 0.8;
    bool isDashed = false;
    std::vector<Pulse> pulses;
    std::optional<Badge> badge;

    /// The pulses' period: 0.9 s while pairing, 1.8 s while confirming or waiting for the browser,
    /// none in the other stages.
    static std::optional<double> period(PairStage::Case stage);
    /// Whether the picture moves at all: pulses run and motion is not reduced.
    static bool moves(PairStage::Case stage, bool reduceMotion);

    static PairingScene of(PairStage::Case stage, QSizeF size, double time);
};

} // namespace velto
