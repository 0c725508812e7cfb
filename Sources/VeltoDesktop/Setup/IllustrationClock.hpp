#pragma once

#include <QObject>
#include <functional>

namespace velto {

/// The time the setup window's pictures are drawn at, in seconds since 1 January 2001 UTC, with the
/// user's reduced-motion wish and whether the pictures may move at all (the window is shown, not
/// minimised and focused). The pictures read `now()` on each frame or tick while running; `jumped` tells them to
/// read it again at once.
class IllustrationClock final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool reduceMotion READ reduceMotion NOTIFY reduceMotionChanged)
    Q_PROPERTY(bool isRunning READ isRunning NOTIFY isRunningChanged)

public:
    using Source = std::function<double()>;

    /// Seconds from the Unix epoch to 1 January 2001 UTC.
    static constexpr double referenceOffset = 978307200;
    /// The wall clock, in seconds since 1 January 2001 UTC.
    static double systemNow();

    explicit IllustrationClock(Source source = &IllustrationClock::systemNow, QObject* parent = nullptr);

    Q_INVOKABLE double now() const { return source_(); }
    bool reduceMotion() const { return reduceMotion_; }
    void setReduceMotion(bool reduce);
    bool isRunning() const { return isRunning_; }
    void setRunning(bool running);
    /// The source's time moved other than by running (tests set it by hand).
    void jump() { Q_EMIT jumped(); }

Q_SIGNALS:
    void reduceMotionChanged();
    void isRunningChanged();
    void jumped();

private:
    Source source_;
    bool reduceMotion_ = false;
    bool isRunning_ = true;
};

} // namespace velto
