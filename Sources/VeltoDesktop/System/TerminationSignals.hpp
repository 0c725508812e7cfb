#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace velto {

/// SIGTERM and SIGINT as a Qt signal on the main thread, through a signalfd. Block them with
/// `blockInThisThread()` before any other thread starts, so that every thread inherits the mask and
/// only the descriptor sees them (children get their own mask from the spawn helper).
class TerminationSignals final : public QObject {
    Q_OBJECT

public:
    static void blockInThisThread();

    TerminationSignals();
    ~TerminationSignals() override;

Q_SIGNALS:
    void requested();

private:
    int descriptor_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace velto
