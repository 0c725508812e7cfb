#include "VeltoDevice/Harness/ProcessRunner.hpp"

#include "VeltoDevice/Harness/HarnessError.hpp"
#include "VeltoDevice/Support/RepairedUTF8.hpp"
#include "VeltoDevice/Support/SpawnedProcess.hpp"
#include "VeltoDevice/Support/WithTimeout.hpp"

#include <boost/asio/cancellation_type.hpp>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/deferred.hpp>
#include <boost/asio/experimental/parallel_group.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>

#include <algorithm>
#include <array>
#include <csignal>
#include <exception>
#include <memory>
#include <span>
#include <string>
#include <system_error>
#include <utility>

namespace velto {

namespace {

/// One output as it is read: read straight into the text, which doubles as it fills, so no byte is
/// copied more often than a growing string copies it anyway. A read that finds the text full goes to
/// a spare chunk first, so the read that meets the end of the output never doubles the text.
class OutputBuffer {
public:
    static constexpr std::size_t chunk = 65536;

    /// Where the next read goes.
    std::span<std::uint8_t> space() {
        if (used_ < text_.size())
            return {reinterpret_cast<std::uint8_t*>(text_.data()) + used_, text_.size() - used_};
        if (!spare_)
            spare_ = std::make_unique_for_overwrite<std::uint8_t[]>(chunk);
        return {spare_.get(), chunk};
    }
    /// Counts `count` bytes read into the latest `space()`.
    void commit(std::size_t count) {
        if (used_ < text_.size()) {
            used_ += count;
            return;
        }
        if (count == 0)
            return;
        text_.resize(std::max(chunk, text_.size() * 2));
        std::copy_n(spare_.get(), count, text_.begin() + static_cast<std::ptrdiff_t>(used_));
        used_ += count;
    }
    std::size_t size() const { return used_; }

    /// The bytes read, taken out of the buffer.
    std::string take() {
        text_.resize(used_);
        used_ = 0;
        return std::move(text_);
    }

private:
    std::string text_;
    std::size_t used_ = 0;
    std::unique_ptr<std::uint8_t[]> spare_;
};

struct Collected {
    OutputBuffer output;
    OutputBuffer errors;
    /// Set once the exit has been seen; from then on every byte read counts against `afterExitLimit`.
    bool exited = false;
    std::size_t afterExit = 0;

    /// Where the next read of `into` goes: after the exit, no more than the limit leaves.
    std::span<std::uint8_t> space(OutputBuffer& into) const {
        auto space = into.space();
        if (!exited)
            return space;
        std::size_t left = ProcessRunner::afterExitLimit - std::min(afterExit, ProcessRunner::afterExitLimit);
        return space.first(std::min(space.size(), left));
    }
    void commit(OutputBuffer& into, std::size_t count) {
        into.commit(count);
        if (exited)
            afterExit += count;
    }
};

/// Reads one output until its end, or until the exit has been seen. Every read goes through the I/O
/// context, so a writer that keeps the pipe full cannot hold the exit watch and the time-out off the
/// thread. Past the limit the run is over: the command is treated as one that does not answer.
boost::asio::awaitable<void> collect(PipeEnd& pipe, OutputBuffer& into, Collected& collected,
                                     const std::string& name) {
    while (!collected.exited) {
        std::size_t count = co_await pipe.readSome(collected.space(into));
        collected.commit(into, count);
        if (into.size() > ProcessRunner::outputLimit)
            throw HarnessError::timedOut(name);
        if (count == 0)
            co_return;
    }
}

/// The exit, marked as seen in the same step that reaps it, before any other read can run.
boost::asio::awaitable<int> awaitExit(std::shared_ptr<SpawnedProcess> process, Collected& collected) {
    int code = co_await process->exit();
    collected.exited = true;
    co_return code;
}

/// Decides the race of the two readers and the exit: the exit ends it (the readers are cancelled
/// and whatever is left is read at once afterwards); a reader ends it only by failing.
struct ExitOrFailure {
    boost::asio::cancellation_type_t operator()(const std::exception_ptr& error) const {
        return error ? boost::asio::cancellation_type::terminal : boost::asio::cancellation_type::none;
    }
    boost::asio::cancellation_type_t operator()(const std::exception_ptr&, int) const {
        return boost::asio::cancellation_type::terminal;
    }
};

/// Reads both outputs while waiting for the exit; returns once the command has exited and been
/// reaped.
boost::asio::awaitable<void> watch(std::shared_ptr<SpawnedProcess> process, Collected& collected,
                                   const std::string& name) {
    auto executor = co_await boost::asio::this_coro::executor;
    auto [order, outputError, errorsError, exitError, exitCode] =
        co_await boost::asio::experimental::make_parallel_group(
            boost::asio::co_spawn(executor, collect(*process->output, collected.output, collected, name),
                                  boost::asio::deferred),
            boost::asio::co_spawn(executor, collect(*process->errors, collected.errors, collected, name),
                                  boost::asio::deferred),
            boost::asio::co_spawn(executor, awaitExit(process, collected), boost::asio::deferred))
            .async_wait(ExitOrFailure{}, boost::asio::use_awaitable);
    (void)exitCode;
    if (order[0] == 0 && outputError)
        std::rethrow_exception(outputError);
    if (order[0] == 1 && errorsError)
        std::rethrow_exception(errorsError);
    if (exitError)
        std::rethrow_exception(exitError);
}

/// After the exit: what both outputs hold at once, until neither gives more or `afterExitLimit`
/// bytes have come since the exit was seen (those the readers took meanwhile included).
/// Descendants that keep a pipe open, or keep writing to it, cannot hold the run past this.
void collectWhatIsLeft(SpawnedProcess& process, Collected& collected) {
    std::array<std::pair<PipeEnd*, OutputBuffer*>, 2> streams{
        {{&*process.output, &collected.output}, {&*process.errors, &collected.errors}}};
    bool progressed = true;
    while (progressed && collected.afterExit < ProcessRunner::afterExitLimit) {
        progressed = false;
        for (auto& [pipe, into] : streams) {
            auto space = collected.space(*into);
            if (!pipe->isOpen() || space.empty())
                continue;
            auto count = pipe->readNow(space);
            if (!count)
                continue;
            if (*count == 0) {
                pipe->close();
                continue;
            }
            collected.commit(*into, *count);
            progressed = true;
        }
    }
}

} // namespace

ProcessRunner::ProcessRunner(std::shared_ptr<Clock> clock, boost::asio::any_io_executor spawning)
    : clock_(std::move(clock)), spawning_(std::move(spawning)) {}

boost::asio::awaitable<ProcessOutput>
ProcessRunner::run(std::filesystem::path executable, std::vector<std::string> arguments,
                   Environment environment, Clock::Duration timeout,
                   std::optional<std::filesystem::path> currentDirectory) {
    const std::string name = executable.filename().string();
    ProcessLaunch launch;
    launch.executable = std::move(executable);
    launch.arguments = std::move(arguments);
    launch.environment = std::move(environment);
    launch.workingDirectory = std::move(currentDirectory);

    std::shared_ptr<SpawnedProcess> process;
    try {
        if (spawning_) {
            auto spawning = SpawnedProcess::spawnOn(spawning_, std::move(launch));
            process = co_await std::move(spawning);
        } else {
            process = SpawnedProcess::spawn(co_await boost::asio::this_coro::executor, launch);
        }
    } catch (const std::system_error&) {
        // Why it did not start (a missing file, a bad working folder) is not kept.
        throw HarnessError::launchFailed(name);
    }

    Collected collected;
    std::exception_ptr failure;
    try {
        auto watching = watch(process, collected, name);
        co_await withTimeout(*clock_, timeout, HarnessError::timedOut(name), std::move(watching));
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        // The command leads its group and is unreaped, so the group id is still its own: its
        // children die with it. Nothing waits here for the exit; it is reaped beside the caller.
        process->signalGroup(SIGKILL);
        process->reapInBackground();
        std::rethrow_exception(failure);
    }

    collectWhatIsLeft(*process, collected);
    co_return ProcessOutput{*process->exitCode(), repairedUTF8(collected.output.take()),
                            repairedUTF8(collected.errors.take())};
}

} // namespace velto
