#pragma once

#include "VeltoDevice/Support/LoggedCompletion.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>
#include <boost/asio/bind_cancellation_slot.hpp>
#include <boost/asio/cancellation_signal.hpp>
#include <boost/asio/cancellation_type.hpp>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/post.hpp>

#include <exception>
#include <memory>

namespace velto {

/// A detached coroutine that its owner may cancel later, unlike a structured child: cancelling the
/// coroutine that started it does not reach it. An error that escapes the operation gets one line
/// in `log`, naming `operation`. Used on its executor's thread only.
class CancellableTask : public std::enable_shared_from_this<CancellableTask> {
public:
    CancellableTask(boost::asio::any_io_executor executor, Logger log, std::string_view operation)
        : executor_(std::move(executor)), ended_(std::move(log), operation) {}

    CancellableTask(const CancellableTask&) = delete;
    CancellableTask& operator=(const CancellableTask&) = delete;

    /// Runs `operation` on the executor; call once. The task stays alive until it has ended.
    void start(boost::asio::awaitable<void> operation) {
        boost::asio::co_spawn(
            executor_, std::move(operation),
            boost::asio::bind_cancellation_slot(
                signal_.slot(),
                [self = shared_from_this()](const std::exception_ptr& error) { self->ended_(error); }));
    }

    /// Flags the task at once and cancels what it awaits (that operation ends with operation_aborted).
    /// Safe to call more than once, and after the task has ended.
    void cancel() {
        if (cancelled_)
            return;
        cancelled_ = true;
        // The coroutine forwards the signal through its executor; emitting from there, with the task
        // held, keeps the signal alive until it has been delivered.
        boost::asio::post(executor_, [self = shared_from_this()] {
            self->signal_.emit(boost::asio::cancellation_type::terminal);
        });
    }

    /// Whether `cancel` was called; checked by the operation after a wait that ended normally.
    bool isCancelled() const { return cancelled_; }

private:
    boost::asio::any_io_executor executor_;
    LoggedCompletion ended_;
    boost::asio::cancellation_signal signal_;
    bool cancelled_ = false;
};

} // namespace velto
