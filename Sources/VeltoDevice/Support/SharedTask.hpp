#pragma once

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>

#include <functional>
#include <memory>

namespace velto {

/// At most one run of an operation at a time, which any number of callers wait for. A run is a
/// coroutine of its own on the executor: a caller whose wait is cancelled only stops waiting, the
/// run goes on to its end and then clears itself, so whatever it stores is stored and no later
/// caller waits for a run that will not end. The operation handles its own errors; whatever escapes
/// it is dropped. Used on its executor's thread only.
class SharedTask {
public:
    using Operation = std::function<boost::asio::awaitable<void>()>;

    explicit SharedTask(boost::asio::any_io_executor executor);
    ~SharedTask();

    SharedTask(const SharedTask&) = delete;
    SharedTask& operator=(const SharedTask&) = delete;

    /// True from `run` until the run has ended.
    bool isRunning() const;

    /// Waits for the run in progress to end; at once when none runs. Cancellation ends the wait with
    /// operation_aborted and leaves the run going.
    boost::asio::awaitable<void> join();

    /// Starts `operation` as the new run (call it only when none runs) and waits for it as `join` does.
    boost::asio::awaitable<void> run(Operation operation);

private:
    struct Run;
    struct State;
    std::shared_ptr<State> state_;
};

} // namespace velto
