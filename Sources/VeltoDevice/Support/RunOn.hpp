#pragma once

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/associated_cancellation_slot.hpp>
#include <boost/asio/associated_executor.hpp>
#include <boost/asio/async_result.hpp>
#include <boost/asio/awaitable.hpp>
#include <boost/asio/bind_cancellation_slot.hpp>
#include <boost/asio/cancellation_signal.hpp>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/execution/outstanding_work.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/prefer.hpp>
#include <boost/asio/use_awaitable.hpp>

#include <exception>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

namespace velto {

// g++ 12 and co_await, for every coroutine of this program: it can destroy a temporary built inside a
// co_await expression twice (a lambda converted to std::function included), rejects a braced list
// there, and can emit SIGILL for a co_await inside an `if` condition. So such values are named in a
// local first and the local is awaited, as runOn does below.

namespace detail {

/// What one crossing shares between the caller's side and the target's: the cancellation signal
/// of the operation (emitted on the target's executor only) and its value. Held by both sides, so
/// that neither outlives it whichever finishes last.
template <typename T> struct Crossing {
    boost::asio::cancellation_signal signal;
    std::optional<std::conditional_t<std::is_void_v<T>, std::monostate, T>> value;
};

template <typename T>
boost::asio::awaitable<void> keepResult(std::shared_ptr<Crossing<T>> crossing,
                                        boost::asio::awaitable<T> operation) {
    if constexpr (std::is_void_v<T>) {
        co_await std::move(operation);
    } else {
        crossing->value.emplace(co_await std::move(operation));
    }
}

/// Completes a crossing's `handler` with `error` on `home`, the caller's executor.
template <typename Executor, typename Handler>
void completeAtHome(const Executor& home, Handler handler, std::exception_ptr error) {
    boost::asio::post(home, [handler = std::move(handler), error]() mutable {
        // On the caller's thread, where its slot lives: nothing is left to cancel.
        auto completing = boost::asio::get_associated_cancellation_slot(handler);
        if (completing.is_connected())
            completing.clear();
        std::move(handler)(error);
    });
}

template <typename T> struct InitiateCrossing {
    boost::asio::any_io_executor target;
    std::shared_ptr<Crossing<T>> crossing;

    template <typename Handler> void operator()(Handler&& handler, boost::asio::awaitable<void> work) const {
        auto slot = boost::asio::get_associated_cancellation_slot(handler);
        if (slot.is_connected()) {
            // The caller's cancellation comes on the caller's thread; the operation hears it on its own.
            slot.assign([target = target, crossing = crossing](boost::asio::cancellation_type type) {
                boost::asio::post(target, [crossing, type] { crossing->signal.emit(type); });
            });
        }
        // Kept busy until the answer has been handed back, so the caller's loop does not run dry.
        auto home = boost::asio::prefer(boost::asio::get_associated_executor(handler, target),
                                        boost::asio::execution::outstanding_work.tracked);
        boost::asio::co_spawn(
            target, std::move(work),
            boost::asio::bind_cancellation_slot(
                crossing->signal.slot(),
                [home, crossing = crossing, handler = std::forward<Handler>(handler)](
                    std::exception_ptr error) mutable { completeAtHome(home, std::move(handler), error); }));
    }
};

} // namespace detail

/// Runs `operation` on `target` and resumes the caller on its own executor with the operation's
/// value or exception, whatever the value's type (co_spawn's own `use_awaitable` needs a
/// default-constructible one). The caller's executor may be any that posts to another event loop
/// (the application's); the library's objects are then touched only on `target`, where they live.
///
/// Cancelling the caller cancels the operation, on `target`'s executor; the caller resumes once the
/// operation has ended (with operation_aborted, unless it finished first).
template <typename T>
boost::asio::awaitable<T> runOn(boost::asio::any_io_executor target, boost::asio::awaitable<T> operation) {
    auto crossing = std::make_shared<detail::Crossing<T>>();
    auto work = detail::keepResult<T>(crossing, std::move(operation));
    detail::InitiateCrossing<T> initiate{std::move(target), crossing};
    co_await boost::asio::async_initiate<const boost::asio::use_awaitable_t<>&, void(std::exception_ptr)>(
        initiate, boost::asio::use_awaitable, std::move(work));
    if constexpr (!std::is_void_v<T>)
        co_return std::move(*crossing->value);
}

} // namespace velto
