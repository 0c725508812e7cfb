#pragma once

#include "VeltoDevice/Support/PipeEnd.hpp"
#include "VeltoDevice/Support/ProcessLaunch.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>

#include <memory>
#include <optional>
#include <sys/types.h>

namespace velto {

/// One child, started by `spawn` and watched through a pidfd on the I/O context. The child leads its
/// own process group; the group is signalled only while the child is unreaped, so its id cannot have
/// been reused by then. Nothing here reaps any other process. Used on its executor's thread only.
///
/// A child that is not waited for (a relaunch, a run given up on) is handed to `reapInBackground`,
/// which leaves no zombie behind.
class SpawnedProcess : public std::enable_shared_from_this<SpawnedProcess> {
public:
    /// Starts the child as `launch` says; its pipes and its exit are bound to `executor`. Throws
    /// std::system_error with the errno of the failure when it cannot start (a missing or
    /// non-executable file, a bad working folder, a relative executable path, an argument or variable
    /// holding a NUL byte). Before the first spawn SIGPIPE is ignored process-wide, so a write to a pipe
    /// whose reader has gone fails with EPIPE instead of ending the application.
    static std::shared_ptr<SpawnedProcess> spawn(boost::asio::any_io_executor executor,
                                                 const ProcessLaunch& launch);

    /// As `spawn`, bound to the caller's executor, with the blocking part (the pipes, the start of the
    /// child, which waits until the child has replaced itself with the program, and its pidfd) on
    /// `blocking` (the pool): on a busy machine that wait takes milliseconds, which the caller's thread
    /// goes on meanwhile. A child whose caller went away meanwhile is killed and reaped.
    static boost::asio::awaitable<std::shared_ptr<SpawnedProcess>>
    spawnOn(boost::asio::any_io_executor blocking, ProcessLaunch launch);

    /// Closes what is left open. A child sent SIGKILL that is still unreaped is
    /// reaped first (it is about to die); any other stays unreaped, as `reapInBackground` would handle it.
    ~SpawnedProcess();

    SpawnedProcess(const SpawnedProcess&) = delete;
    SpawnedProcess& operator=(const SpawnedProcess&) = delete;

    pid_t pid() const { return pid_; }

    /// Our ends of the pipes that `launch` asked for (empty for the null device), for the caller to
    /// take: the writing end of the child's standard input, the reading ends of its outputs.
    std::optional<PipeEnd> input;
    std::optional<PipeEnd> output;
    std::optional<PipeEnd> errors;

    /// Waits until the child has exited and reaps it: its exit status, or the number of the signal
    /// that ended it (SIGTERM gives 15). Answers at once when already reaped. Cancellation ends the wait
    /// with operation_aborted and leaves the child as it was. Several waits may run at once.
    boost::asio::awaitable<int> exit();

    /// Waits until the child has exited without reaping it, so that its group id stays its own and
    /// what is left of the group can still be signalled: its status as `exit` would give it.
    /// Cancellation ends the wait with operation_aborted.
    boost::asio::awaitable<int> exited();

    bool isReaped() const { return exitCode_.has_value(); }
    std::optional<int> exitCode() const { return exitCode_; }

    /// Sends `signal` to the child's whole process group (its descendants that stayed in it). Only
    /// while the child is unreaped; false when nothing was sent.
    bool signalGroup(int signal);
    /// Sends `signal` to the child alone, through its pidfd; false once it is reaped.
    bool signalLeader(int signal);

    /// Reaps the child on the executor whenever it exits, without anyone waiting for it; the object
    /// stays alive until then.
    void reapInBackground();

private:
    struct Watch;
    /// A started child that is not yet bound to an executor.
    struct Child;

    static Child start(const ProcessLaunch& launch);
    static std::shared_ptr<SpawnedProcess> adopt(boost::asio::any_io_executor executor, Child child);

    SpawnedProcess(boost::asio::any_io_executor executor, pid_t pid, int pidfd);
    /// waitid on the pidfd with `flags` (WEXITED always): the status once the child has exited (-1
    /// when another reaped it), kept as reaped unless WNOWAIT; nothing while it runs.
    std::optional<int> waitStatus(int flags);
    /// Reaps the child when it has exited (waiting for that when `block`); true once it is reaped.
    bool tryReap(bool block);
    /// The status of a child that has exited, left unreaped; nothing while it runs.
    std::optional<int> exitedStatus();

    boost::asio::any_io_executor executor_;
    pid_t pid_ = -1;
    std::unique_ptr<Watch> watch_;
    std::optional<int> exitCode_;
    bool killed_ = false;
};

} // namespace velto
