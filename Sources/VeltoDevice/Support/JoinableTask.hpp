#pragma once

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>
#include <boost/asio/steady_timer.hpp>

#include <list>
#include <memory>

namespace velto {

/// A detached coroutine that any number of callers wait for. A caller whose wait is cancelled only
/// stops waiting: the task runs to its end all the same, so whatever it stores is stored and an
/// owner that clears its handle at the end never keeps a task that will not end. The operation
/// handles its own errors; whatever escapes it is dropped. Used on its executor's thread only.
class JoinableTask : public std::enable_shared_from_this<JoinableTask> {
public:
    explicit JoinableTask(boost::asio::any_io_executor executor);

    JoinableTask(const JoinableTask&) = delete;
    JoinableTask& operator=(const JoinableTask&) = delete;

    /// Runs `operation` on the executor; call once. The task stays alive until it has ended.
    void start(boost::asio::awaitable<void> operation);

    /// Completes once the task has ended (at once when it has). Cancellation ends the wait with
    /// operation_aborted and leaves the task running.
    boost::asio::awaitable<void> join();

    bool hasEnded() const { return ended_; }

private:
    void end();

    boost::asio::any_io_executor executor_;
    std::list<std::shared_ptr<boost::asio::steady_timer>> waiters_;
    bool ended_ = false;
};

} // namespace velto
