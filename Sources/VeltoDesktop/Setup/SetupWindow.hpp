#pragma once

#include "VeltoDesktop/Setup/IllustrationClock.hpp"
#include "VeltoDesktop/Setup/SetupFlow.hpp"

#include <QObject>
#include <QPointer>
#include <QQuickView>
#include <QSize>
#include <functional>

class QQmlEngine;

namespace velto {

class MotionPreference;
class RemoteImageCache;

/// The first-run setup window: made at the first `show()` with a fresh flow, frameless at a fixed
/// 800 × 560, centred on the primary screen's work area. Closing it in any way drops a prompt that
/// waited for confirmation (unless codes are being spent) and deletes the window and its flow; the
/// next `show()` starts again at the first step. Main thread only.
class SetupWindow final : public QObject {
    Q_OBJECT

public:
    static constexpr QSize size{800, 560};

    /// The engine the window is made in, or how to get it when the window is first made, so that an
    /// agent whose setup never shows makes no engine for it.
    class Engine {
    public:
        Engine(QQmlEngine* engine = nullptr) : engine_(engine) {}
        Engine(std::function<QQmlEngine&()> make) : make_(std::move(make)) {}
        QQmlEngine* get() {
            if (!engine_ && make_)
                engine_ = &make_();
            return engine_;
        }

    private:
        QQmlEngine* engine_ = nullptr;
        std::function<QQmlEngine&()> make_;
    };

    /// What the window is made with: what each window's flow is made with (the window sets its hooks),
    /// the engine, the picture cache, the motion setting and the pictures' time.
    struct Dependencies {
        SetupFlow::Dependencies flow;
        Engine engine;
        RemoteImageCache* pictures = nullptr;
        MotionPreference* motion = nullptr;
        IllustrationClock::Source time = &IllustrationClock::systemNow;
    };

    explicit SetupWindow(Dependencies dependencies, QObject* parent = nullptr);
    ~SetupWindow() override;

    /// Makes the window when there is none, then shows it normally, raises it and asks for focus. An
    /// open window keeps its flow and step.
    void show();

    /// The open window, its flow and its pictures' clock; null while none is open.
    QQuickView* window() const { return window_; }
    SetupFlow* flow() const { return flow_; }
    IllustrationClock* clock() const { return clock_; }

Q_SIGNALS:
    /// The window closed and is being deleted with its flow.
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private Q_SLOTS:
    void willClose();

private:
    void make();
    void updateRunning();

    Dependencies dependencies_;
    QPointer<QQuickView> window_;
    QPointer<SetupFlow> flow_;
    QPointer<IllustrationClock> clock_;
};

} // namespace velto
