#include "VeltoDesktop/Setup/PairingScene.hpp"

#include <cmath>
#include <numbers>

namespace velto {

PairingScene::Arc PairingScene::Arc::in(QSizeF size) {
    const double w = size.width();
    const double h = size.height();
    return {QPointF(0.2 * w, 0.58 * h), QPointF(0.5 * w, 0.18 * h), QPointF(0.8 * w, 0.58 * h)};
}

QPointF PairingScene::Arc::point(double t) const {
    const double u = 1 - t;
    return u * u * start + 2 * t * u * control + t * t * end;
}

std::optional<double> PairingScene::period(PairStage::Case stage) {
    switch (stage) {
    case PairStage::Case::pairing:
        return 0.9;
    case PairStage::Case::confirming:
    case PairStage::Case::waitingForBrowser:
        return 1.8;
    case PairStage::Case::address:
    case PairStage::Case::paired:
    case PairStage::Case::failed:
        return std::nullopt;
    }
    return std::nullopt;
}

bool PairingScene::moves(PairStage::Case stage, bool reduceMotion) {
    return !reduceMotion && period(stage).has_value();
}

PairingScene PairingScene::of(PairStage::Case stage, QSizeF size, double time) {
    PairingScene scene;
    scene.arc = Arc::in(size);
    scene.tint = stage == PairStage::Case::paired   ? Tint::green
                 : stage == PairStage::Case::failed ? Tint::red
                                                    : Tint::secondary;
    scene.arcOpacity = stage == PairStage::Case::address ? 0.35 : 0.8;
    scene.isDashed = stage == PairStage::Case::address;
    if (auto p = period(stage)) {
        const double phase = std::fmod(std::fmod(time, *p) + *p, *p) / *p;
        for (int index = 0; index < 3; ++index) {
            double t = phase + index / 3.0;
            t -= std::floor(t);
            scene.pulses.push_back({t, scene.arc.point(t), std::sin(std::numbers::pi * t)});
        }
    }
    if (stage == PairStage::Case::paired)
        scene.badge = Badge{QStringLiteral("checkmark"), Tint::green, scene.arc.point(0.5)};
    else if (stage == PairStage::Case::failed)
        scene.badge = Badge{QStringLiteral("xmark"), Tint::red, scene.arc.point(0.5)};
    return scene;
}

} // namespace velto
