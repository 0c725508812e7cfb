#pragma once

#include "VeltoDevice/Harness/ProcessRunning.hpp"

#include <boost/asio/any_io_executor.hpp>

#include <cstddef>
#include <memory>

namespace velto {

/// The one way the library runs a command and waits for its result. Both outputs are read on the
/// caller's executor while the command runs (no thread per run), one read per turn of the I/O context,
/// and its exit is watched through a pidfd. A time-out, a cancellation or output past `outputLimit` kills the
/// command's whole process group with SIGKILL, so its children die with it, and the call returns at once; the
/// exit is still reaped beside it. Once the command has exited, only what its outputs hold at once is read
/// (at most `afterExitLimit` more bytes), so a background child that keeps a pipe open cannot hold the call.
class ProcessRunner final : public ProcessRunning {
public:
    /// The most bytes read from each output before the exit; past that the run is given up as
    /// timed out.
    static constexpr std::size_t outputLimit = 16 * 1024 * 1024;
    /// The most bytes read from both outputs together once the exit has been seen.
    static constexpr std::size_t afterExitLimit = 1024 * 1024;

    /// Time-outs are measured on `clock`. With `spawning` (the blocking pool), each command is started
    /// there (SpawnedProcess::spawnOn) and the caller's thread goes on meanwhile; on the caller's thread
    /// when empty.
    explicit ProcessRunner(std::shared_ptr<Clock> clock, boost::asio::any_io_executor spawning = {});

    boost::asio::awaitable<ProcessOutput> run(std::filesystem::path executable,
                                              std::vector<std::string> arguments, Environment environment,
                                              Clock::Duration timeout,
                                              std::optional<std::filesystem::path> currentDirectory) override;

private:
    std::shared_ptr<Clock> clock_;
    boost::asio::any_io_executor spawning_;
};

} // namespace velto
