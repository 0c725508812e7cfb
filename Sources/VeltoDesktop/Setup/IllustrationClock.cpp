#include "VeltoDesktop/Setup/IllustrationClock.hpp"

#include <QDateTime>

namespace velto {

double IllustrationClock::systemNow() {
    return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0 - referenceOffset;
}

IllustrationClock::IllustrationClock(Source source, QObject* parent)
    : QObject(parent), source_(std::move(source)) {}

void IllustrationClock::setReduceMotion(bool reduce) {
    if (reduce == reduceMotion_)
        return;
    reduceMotion_ = reduce;
    Q_EMIT reduceMotionChanged();
}

void IllustrationClock::setRunning(bool running) {
    if (running == isRunning_)
        return;
    isRunning_ = running;
    Q_EMIT isRunningChanged();
}

} // namespace velto
