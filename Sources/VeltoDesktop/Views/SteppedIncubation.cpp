#include "VeltoDesktop/Views/SteppedIncubation.hpp"

#include <QTimerEvent>

namespace velto {

void SteppedIncubation::incubatingObjectCountChanged(int count) {
    if (count > 0 && timer_ == 0)
        timer_ = startTimer(0);
}

void SteppedIncubation::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer_)
        return QObject::timerEvent(event);
    // A zero timer fires once per turn, after the events already waiting: input and posted work run
    // between steps.
    incubateFor(stepMs);
    if (incubatingObjectCount() == 0) {
        killTimer(timer_);
        timer_ = 0;
    }
}

} // namespace velto
