#pragma once

#include <chrono>
#include <memory>

namespace velto {

/// Ends the process if quitting takes longer than `limit` once armed: a job, a keyring call or a
/// library operation that does not end must not keep the application alive.
class ShutdownWatchdog {
public:
    /// How long running jobs get to end when the application quits (those still there are killed).
    static constexpr std::chrono::milliseconds jobGrace{2000};
    /// How long the sockets' closing handshakes get once the jobs are over.
    static constexpr std::chrono::milliseconds closeGrace{1000};
    /// When the event loop stops, whatever the quit sequence still waits for.
    static constexpr std::chrono::milliseconds loopLimit{4000};
    /// How long quitting may take in all.
    static constexpr std::chrono::milliseconds limit{5000};

    ShutdownWatchdog();
    ~ShutdownWatchdog();

    ShutdownWatchdog(const ShutdownWatchdog&) = delete;
    ShutdownWatchdog& operator=(const ShutdownWatchdog&) = delete;

    /// Starts the count; later calls do nothing.
    void arm();
    bool isArmed() const;

private:
    struct State;
    std::shared_ptr<State> state_;
};

} // namespace velto
