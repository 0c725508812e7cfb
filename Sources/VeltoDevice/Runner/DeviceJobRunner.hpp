#pragma once

#include "VeltoDevice/Connection/JobRunning.hpp"
#include "VeltoDevice/Harness/LoginPathResolving.hpp"
#include "VeltoDevice/Harness/ProcessRunning.hpp"
#include "VeltoDevice/Support/Clock.hpp"
#include "VeltoDevice/Support/Environment.hpp"
#include "VeltoDevice/Support/NewestStream.hpp"
#include "VeltoDevice/Update/JobActivity.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace velto {

/// Runs the jobs that every organization's session accepts, each as `node <script> device run --job
/// <file>` in a process group of its own: writes the job document to a private file, relays the
/// runner's frame lines to the session, hands it the server's tool results, and sends a failed finish
/// when it ends without one. Counts places against a fixed capacity, holds new jobs back while an
/// update waits, and tells when it becomes idle and when a place may have become free. Log lines go
/// to the category "runner".
///
/// Lives on one executor (the device io_context) and is only touched from there; its operations
/// interleave only where they await. A job's relay runs on its own and outlives the call that started
/// it.
class DeviceJobRunner final : public JobRunning, public JobActivity {
public:
    /// An idle or room event: it carries nothing.
    using Event = std::monostate;

    /// How long a cancelled runner has to end before its group gets SIGKILL.
    static constexpr std::chrono::seconds killAfter{10};
    /// How long `stopAll` waits for the jobs it killed to settle.
    static constexpr std::chrono::milliseconds settleAfterKill{500};

    /// `environment` is the application's process environment, which every runner starts from (with
    /// the login shell's PATH); `processRunner` runs the generation query; `clock` times the forced
    /// kill and the reading of output after the runner's exit.
    DeviceJobRunner(boost::asio::any_io_executor executor, std::optional<std::filesystem::path> runnerScript,
                    Environment environment, std::size_t capacity,
                    std::shared_ptr<LoginPathResolving> pathResolver,
                    std::shared_ptr<ProcessRunning> processRunner, std::shared_ptr<Clock> clock);
    /// Sends SIGTERM to every running job's group (the application quits) and finishes both streams.
    ~DeviceJobRunner() override;

    DeviceJobRunner(const DeviceJobRunner&) = delete;
    DeviceJobRunner& operator=(const DeviceJobRunner&) = delete;

    /// An event each time nothing runs and nothing is reserved after a release, a failed start or a
    /// job's end; keeps only the newest unread.
    NewestStream<Event>& idleEvents();
    /// An event each time a place may have become free (a release, a failed start or a job's end that
    /// leaves room while new jobs are not held); keeps only the newest unread.
    NewestStream<Event>& roomEvents();

    /// A runner script is set, something exists at its path (links followed) and "node" is on the
    /// login shell's PATH, which is asked for once, at the first need.
    boost::asio::awaitable<bool> isAvailable();
    /// The runner script's generation, asked of it until it first answers; 1 when it cannot say.
    boost::asio::awaitable<int> generation();

    /// "runner-unavailable" when the runner cannot run; "busy" while new jobs are held, when every
    /// place is taken, or when the offer's id is already reserved or running; otherwise the place is
    /// held and nothing is answered.
    boost::asio::awaitable<std::optional<JobDeclineReason>> reserve(ServerMessage::JobOffer offer) override;
    boost::asio::awaitable<void> release(std::string jobId) override;
    /// Writes the job file and starts the runner; its frames then go to `send`. Throws
    /// RunnerError::unavailable (no script or node), TemporaryFolderError (the job folder cannot be
    /// used) or RunnerError::launchFailed (the job file cannot be written, the runner cannot be
    /// launched); the place is given back on every exit that leaves the job not running.
    boost::asio::awaitable<void> start(std::string jobId, Bytes document, Send send) override;
    /// Queues the tool result, without its "jobId", as one line on the job's standard input; nothing
    /// for a job that does not run or a frame that is no tool result.
    boost::asio::awaitable<void> deliver(std::string toolResultFrame, std::string jobId) override;
    /// Sends SIGTERM to the job's process group, and SIGKILL `killAfter` later if it is still there;
    /// the job then ends through its relay. Nothing for a job that does not run.
    boost::asio::awaitable<void> cancel(std::string jobId) override;
    /// `cancel` for every running job.
    boost::asio::awaitable<void> cancelAll() override;
    /// The application quits: from now on no job is reserved or started. Sends SIGTERM to every
    /// running job's group and waits at most `grace` for every job to settle (its failed finish sent,
    /// its file removed); then sends SIGKILL to the groups still there and waits at most
    /// `settleAfterKill` more. The files of jobs that still have not settled are removed at the end.
    boost::asio::awaitable<void> stopAll(Clock::Duration grace);

    /// True when no job runs and none is reserved.
    boost::asio::awaitable<bool> isIdle() override;
    /// True holds new jobs back (reservations answer "busy", no room events); sends no event itself.
    boost::asio::awaitable<void> holdNewJobs(bool hold) override;

private:
    struct Core;
    std::shared_ptr<Core> core_;
};

} // namespace velto
