#pragma once

#include <QAnimationDriver>

namespace velto::testing {

/// Drives Qt's animations by hand: time moves only when the test advances it.
class ManualAnimationDriver final : public QAnimationDriver {
public:
    ManualAnimationDriver() { install(); }
    ~ManualAnimationDriver() override { uninstall(); }

    void advanceBy(qint64 milliseconds) {
        elapsed_ += milliseconds;
        advance();
    }
    qint64 elapsed() const override { return elapsed_; }

private:
    qint64 elapsed_ = 0;
};

} // namespace velto::testing
