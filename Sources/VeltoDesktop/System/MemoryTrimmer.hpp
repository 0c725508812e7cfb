#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>

namespace velto {

/// Hands the C library's free heap pages back to the system once the agent has been quiet for a while:
/// a launch's or a wake's handshakes leave freed buffers in every thread's arena, which would otherwise
/// stay resident for as long as the agent runs. Main thread only.
class MemoryTrimmer final : public QObject {
    Q_OBJECT

public:
    explicit MemoryTrimmer(std::chrono::milliseconds quiet);

    /// Much was allocated and freed: trims once `quiet` passes without another call.
    void settle();

private:
    QTimer timer_;
};

} // namespace velto
