#include "VeltoDesktop/Setup/Motion.hpp"

namespace velto {

namespace {

// QEasingCurve takes a plain function: one per spring.
qreal stepValue(qreal progress) {
    return Motion::step.value(progress);
}
qreal tileValue(qreal progress) {
    return Motion::tile.value(progress);
}
qreal feedValue(qreal progress) {
    return Motion::feed.value(progress);
}
qreal loginValue(qreal progress) {
    return Motion::login.value(progress);
}

QEasingCurve curve(QEasingCurve::EasingFunction function) {
    QEasingCurve made;
    made.setCustomType(function);
    return made;
}

} // namespace

QEasingCurve Motion::stepSpring() {
    return curve(&stepValue);
}

QEasingCurve Motion::tileSpring() {
    return curve(&tileValue);
}

QEasingCurve Motion::feedSpring() {
    return curve(&feedValue);
}

QEasingCurve Motion::loginSpring() {
    return curve(&loginValue);
}

} // namespace velto
