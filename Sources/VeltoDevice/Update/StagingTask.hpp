#pragma once

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>

#include <memory>

namespace velto {

/// One staging attempt's task: cancellable by its owner, and awaitable until it has ended however it
/// ended. Used on its executor's thread only.
class StagingTask {
public:
    explicit StagingTask(boost::asio::any_io_executor executor);
    ~StagingTask();

    StagingTask(const StagingTask&) = delete;
    StagingTask& operator=(const StagingTask&) = delete;

    /// Runs the operation; call once. What escapes it is dropped.
    void start(boost::asio::awaitable<void> operation);
    /// Cancels what the operation awaits; safe to call more than once and after it has ended.
    void cancel();
    /// Returns once the operation has ended (at once when it has); cancelling the wait ends it with
    /// operation_aborted.
    boost::asio::awaitable<void> ended();

private:
    struct State;
    static boost::asio::awaitable<void> runThenSignal(std::shared_ptr<State> state,
                                                      boost::asio::awaitable<void> operation);

    std::shared_ptr<State> state_;
};

} // namespace velto
