#pragma once

#include "VeltoDevice/Connection/JobRunning.hpp"
#include "VeltoDevice/Support/Clock.hpp"
#include "VeltoDevice/Support/SpawnedProcess.hpp"

#include <boost/asio/awaitable.hpp>

#include <chrono>
#include <memory>
#include <string>

namespace velto {

/// Carries one job's runner output to its session: every frame line of its standard output in order,
/// every line of its standard error to the log, and a failed finish when the runner ends without one.
struct JobRelay {
    JobRelay() = delete;

    /// How long output that a descendant still holds open is read after the runner has exited.
    static constexpr std::chrono::seconds outputAfterExit{5};

    /// Takes the process's two outputs and relays until both have ended, or `outputAfterExit` after the
    /// runner's exit, whichever comes first (but never before the exit). A line is read only once the
    /// frame before it has been sent, so a slow session slows the runner. Then whatever is left of the
    /// runner's group gets SIGKILL, the runner is reaped, and, when it printed no "job.finish", the
    /// failed finish "The runner on this computer stopped without a result (exit N)." is sent, N being the
    /// exit status or the number of the signal that ended it. Standard error lines are logged at info
    /// level in the category "runner" as "job <id>: <line>". Returns the exit status.
    static boost::asio::awaitable<int> run(std::string jobId, std::shared_ptr<SpawnedProcess> process,
                                           JobRunning::Send send, std::shared_ptr<Clock> clock);

    /// "The runner on this computer stopped without a result (exit N)."
    static std::string stoppedWithoutResult(int status);
};

} // namespace velto
