#include "VeltoDevice/Runner/JobRelay.hpp"

#include "VeltoDevice/Protocol/RunnerFrames.hpp"
#include "VeltoDevice/Runner/PipeLines.hpp"
#include "VeltoDevice/Runner/RunnerLog.hpp"

#include <boost/asio/bind_cancellation_slot.hpp>
#include <boost/asio/cancellation_signal.hpp>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/deferred.hpp>
#include <boost/asio/experimental/parallel_group.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>

#include <csignal>
#include <utility>

namespace velto {

namespace {

/// Sends one frame out of reach of the relay's cancellation: a cancelled send would close the
/// session's socket, and a frame read from the runner is never given up half-way.
boost::asio::awaitable<void> sendWhole(const JobRunning::Send& send, std::string text) {
    auto executor = co_await boost::asio::this_coro::executor;
    auto sending = send(std::move(text));
    auto shielded =
        boost::asio::bind_cancellation_slot(boost::asio::cancellation_slot(), boost::asio::use_awaitable);
    co_await boost::asio::co_spawn(executor, std::move(sending), shielded);
}

boost::asio::awaitable<void> relayFrames(const std::string& jobId, PipeLines& output,
                                         const JobRunning::Send& send, bool& finished) {
    while (auto line = co_await output.next()) {
        auto frame = RunnerFrames::socketFrame(*line, jobId);
        if (!frame)
            continue;
        auto sending = sendWhole(send, std::move(frame->text));
        co_await std::move(sending);
        finished = finished || frame->isFinish;
    }
}

boost::asio::awaitable<void> logErrors(const std::string& jobId, PipeLines& errors) {
    while (auto line = co_await errors.next())
        runnerLog().info("job " + jobId + ": " + *line);
}

/// Both outputs to their ends.
boost::asio::awaitable<void> readOutputs(const std::string& jobId, PipeLines& output, PipeLines& errors,
                                         const JobRunning::Send& send, bool& finished) {
    auto executor = co_await boost::asio::this_coro::executor;
    auto frames = relayFrames(jobId, output, send, finished);
    auto lines = logErrors(jobId, errors);
    co_await boost::asio::experimental::make_parallel_group(
        boost::asio::co_spawn(executor, std::move(frames), boost::asio::deferred),
        boost::asio::co_spawn(executor, std::move(lines), boost::asio::deferred))
        .async_wait(boost::asio::experimental::wait_for_all(), boost::asio::use_awaitable);
}

boost::asio::awaitable<void> graceAfterExit(std::shared_ptr<SpawnedProcess> process,
                                            std::shared_ptr<Clock> clock) {
    co_await process->exited();
    co_await clock->sleep(JobRelay::outputAfterExit);
}

} // namespace

std::string JobRelay::stoppedWithoutResult(int status) {
    return "The runner on this computer stopped without a result (exit " + std::to_string(status) + ").";
}

boost::asio::awaitable<int> JobRelay::run(std::string jobId, std::shared_ptr<SpawnedProcess> process,
                                          JobRunning::Send send, std::shared_ptr<Clock> clock) {
    auto executor = co_await boost::asio::this_coro::executor;
    PipeLines output(std::move(*process->output));
    PipeLines errors(std::move(*process->errors));
    process->output.reset();
    process->errors.reset();

    bool finished = false;
    // The first to end decides: both outputs at their ends, or the grace after the exit; the other is
    // cancelled (a frame being sent is still sent whole) and waited for.
    auto reading = readOutputs(jobId, output, errors, send, finished);
    auto grace = graceAfterExit(process, clock);
    co_await boost::asio::experimental::make_parallel_group(
        boost::asio::co_spawn(executor, std::move(reading), boost::asio::deferred),
        boost::asio::co_spawn(executor, std::move(grace), boost::asio::deferred))
        .async_wait(boost::asio::experimental::wait_for_one(), boost::asio::use_awaitable);

    // Outputs that ended first: the runner may still be working.
    co_await process->exited();
    // Unreaped, the group id is still the runner's own: nothing of the job outlives its relay.
    process->signalGroup(SIGKILL);
    int status = co_await process->exit();
    if (!finished) {
        auto failed = RunnerFrames::failedFinish(jobId, stoppedWithoutResult(status));
        auto sending = sendWhole(send, std::move(failed));
        co_await std::move(sending);
    }
    co_return status;
}

} // namespace velto
