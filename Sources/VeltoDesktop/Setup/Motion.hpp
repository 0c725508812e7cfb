#pragma once

#include "VeltoDesktop/Setup/Spring.hpp"

#include <QEasingCurve>
#include <QObject>

namespace velto {

/// The setup window's springs as easing curves for NumberAnimation, each with the duration it is
/// stretched over: the step spring of every step and stage change (0.55 s, 0.82), the code tiles'
/// (0.4 s, 0.6), the push feed's (0.6 s, 0.7), the login picture's (0.6 s, 0.8), and the terminal's
/// plain ease-out.
class Motion final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QEasingCurve stepSpring READ stepSpring CONSTANT)
    Q_PROPERTY(int stepDuration READ stepDuration CONSTANT)
    Q_PROPERTY(QEasingCurve tileSpring READ tileSpring CONSTANT)
    Q_PROPERTY(int tileDuration READ tileDuration CONSTANT)
    Q_PROPERTY(QEasingCurve feedSpring READ feedSpring CONSTANT)
    Q_PROPERTY(int feedDuration READ feedDuration CONSTANT)
    Q_PROPERTY(QEasingCurve loginSpring READ loginSpring CONSTANT)
    Q_PROPERTY(int loginDuration READ loginDuration CONSTANT)
    Q_PROPERTY(QEasingCurve terminalEase READ terminalEase CONSTANT)
    Q_PROPERTY(int terminalDuration READ terminalDuration CONSTANT)

public:
    static constexpr Spring step{0.55, 0.82, 1.0};
    static constexpr Spring tile{0.4, 0.6, 0.8};
    static constexpr Spring feed{0.6, 0.7, 1.0};
    static constexpr Spring login{0.6, 0.8, 1.0};

    using QObject::QObject;

    static QEasingCurve stepSpring();
    static QEasingCurve tileSpring();
    static QEasingCurve feedSpring();
    static QEasingCurve loginSpring();
    static QEasingCurve terminalEase() { return QEasingCurve(QEasingCurve::OutQuad); }
    static int stepDuration() { return milliseconds(step); }
    static int tileDuration() { return milliseconds(tile); }
    static int feedDuration() { return milliseconds(feed); }
    static int loginDuration() { return milliseconds(login); }
    static int terminalDuration() { return 250; }

private:
    static int milliseconds(const Spring& spring) { return static_cast<int>(spring.duration * 1000); }
};

} // namespace velto
