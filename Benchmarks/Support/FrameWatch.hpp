#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QQuickWindow>
#include <QSet>
#include <QTimer>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace velto::benchmarks {

/// Counts the frames every Quick window swaps, hooked before the window's first one (the window of a
/// cold open is made and drawn within the click). The render thread's signal reaches the main thread
/// through this object's context.
class FrameWatch final : public QObject {
public:
    FrameWatch() { QCoreApplication::instance()->installEventFilter(this); }
    ~FrameWatch() override { QCoreApplication::instance()->removeEventFilter(this); }

    /// Times the frames from `clock`'s start.
    void startedAt(const QElapsedTimer& clock) {
        started_ = &clock;
        firstSwapNs_ = -1;
    }
    int frames() const { return frames_; }

    /// What the windows drew while recording: the gaps between swaps and, per frame, the time from
    /// the start of its synchronisation to its swap, in milliseconds.
    struct Record {
        std::vector<double> gaps;
        std::vector<double> work;
    };
    void startRecording() {
        std::lock_guard lock(mutex_);
        record_ = {};
        recording_ = true;
        lastSwapNs_ = -1;
        syncNs_ = -1;
        recordClock_.start();
    }
    Record stopRecording() {
        std::lock_guard lock(mutex_);
        recording_ = false;
        return std::move(record_);
    }

    /// The milliseconds from the clock's start to the first frame after `frames` of them.
    double firstFrameAfter(int frames) {
        QEventLoop waiting;
        waiting_ = &waiting;
        bool done = frames_ > frames;
        if (!done) {
            QTimer::singleShot(5000, &waiting, [&waiting] { waiting.exit(1); });
            done = waiting.exec() == 0;
        }
        waiting_ = nullptr;
        if (!done)
            throw std::runtime_error("no window drew a frame within 5 s");
        started_ = nullptr;
        return static_cast<double>(firstSwapNs_) / 1e6;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (auto* window = qobject_cast<QQuickWindow*>(watched); window && !hooked_.contains(window)) {
            hooked_.insert(window);
            connect(window, &QObject::destroyed, this, [this, window] { hooked_.remove(window); });
            // On whichever thread renders, as it happens.
            connect(
                window, &QQuickWindow::beforeSynchronizing, this,
                [this] {
                    std::lock_guard lock(mutex_);
                    if (recording_)
                        syncNs_ = recordClock_.nsecsElapsed();
                },
                Qt::DirectConnection);
            connect(
                window, &QQuickWindow::frameSwapped, this,
                [this] {
                    std::lock_guard lock(mutex_);
                    if (!recording_)
                        return;
                    const auto now = recordClock_.nsecsElapsed();
                    if (lastSwapNs_ >= 0)
                        record_.gaps.push_back(static_cast<double>(now - lastSwapNs_) / 1e6);
                    if (syncNs_ >= 0)
                        record_.work.push_back(static_cast<double>(now - syncNs_) / 1e6);
                    lastSwapNs_ = now;
                    syncNs_ = -1;
                },
                Qt::DirectConnection);
            connect(window, &QQuickWindow::frameSwapped, this, [this] {
                ++frames_;
                if (started_ && firstSwapNs_ < 0)
                    firstSwapNs_ = started_->nsecsElapsed();
                if (waiting_)
                    waiting_->quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QSet<QObject*> hooked_;
    int frames_ = 0;
    const QElapsedTimer* started_ = nullptr;
    qint64 firstSwapNs_ = -1;
    QEventLoop* waiting_ = nullptr;
    std::mutex mutex_;
    bool recording_ = false;
    QElapsedTimer recordClock_;
    qint64 lastSwapNs_ = -1;
    qint64 syncNs_ = -1;
    Record record_;
};

} // namespace velto::benchmarks
