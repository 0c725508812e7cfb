#pragma once

#include <QObject>
#include <QQmlIncubationController>

namespace velto {

/// Creates the objects of asynchronous incubations in short steps, one per turn of the event loop, so
/// that a window's content is made without holding the GUI thread for longer than a step. Unlike a
/// window's own controller it needs no window shown and no frame to run. Main thread.
class SteppedIncubation final : public QObject, public QQmlIncubationController {
public:
    static constexpr int stepMs = 4;

    using QObject::QObject;

protected:
    void incubatingObjectCountChanged(int count) override;
    void timerEvent(QTimerEvent* event) override;

private:
    int timer_ = 0;
};

} // namespace velto
