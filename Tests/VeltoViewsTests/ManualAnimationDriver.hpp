#pragma once

#include <QAnimationDriver>
#include <QCoreApplication>

namespace velto::testing {

/// Animation time moved by hand: installed before a window is made, it drives every animation of the
/// process (Qt Quick's, FrameAnimation's) to exact positions, so that screenshots are repeatable.
class ManualAnimationDriver final : public QAnimationDriver {
public:
    ManualAnimationDriver() { install(); }
    ~ManualAnimationDriver() override { uninstall(); }

    qint64 elapsed() const override { return elapsed_; }

    /// Moves the animations `milliseconds` on, a frame of 16 ms at a time, handling events between.
    void advanceBy(int milliseconds) {
        for (int moved = 0; moved < milliseconds; moved += frame) {
            elapsed_ += frame;
            advance();
            QCoreApplication::processEvents();
        }
    }

    static constexpr int frame = 16;

private:
    qint64 elapsed_ = 0;
};

} // namespace velto::testing
