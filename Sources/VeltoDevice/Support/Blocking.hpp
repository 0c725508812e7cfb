#pragma once

#include "VeltoDevice/Support/CoroutineFrameWarning.hpp"
#include "VeltoDevice/Support/RunOn.hpp"
#include "VeltoDevice/Support/StopFlag.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/associated_cancellation_slot.hpp>
#include <boost/asio/associated_executor.hpp>
#include <boost/asio/async_result.hpp>
#include <boost/asio/awaitable.hpp>
#include <boost/asio/cancellation_type.hpp>
#include <boost/asio/execution/outstanding_work.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/prefer.hpp>
#include <boost/asio/thread_pool.hpp>
#include <boost/asio/use_awaitable.hpp>

#include <exception>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

namespace velto {

namespace detail {

/// Runs `work` on `executor` and completes `handler` on its own executor with the exception `work`
/// threw, if any; the handler's executor is kept busy meanwhile, so the caller's loop does not run dry.
/// Posted there and back rather than a coroutine spawned there, which, cancelled before its first
/// step, would throw out of a pool's thread and end the program.
template <typename Work, typename Handler>
void postThereAndBack(boost::asio::any_io_executor executor, Work work, Handler handler) {
    auto home = boost::asio::prefer(boost::asio::get_associated_executor(handler, executor),
                                    boost::asio::execution::outstanding_work.tracked);
    boost::asio::post(executor, [home, work = std::move(work), handler = std::move(handler)]() mutable {
        std::exception_ptr error;
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        completeAtHome(home, std::move(handler), error);
    });
}

} // namespace detail

VELTO_COROUTINE_FRAMES_BEGIN
/// Runs blocking work on `executor` (the blocking pool, or a strand of it) and resumes the caller
/// on its own executor with the result, whatever its type, or the exception. Blocking work cannot be
/// interrupted: a cancelled caller still resumes once the work has ended, with its outcome.
template <typename Function>
auto runBlocking(boost::asio::any_io_executor executor, Function function)
    -> boost::asio::awaitable<decltype(function())> {
    using Result = decltype(function());
    using Kept = std::optional<std::conditional_t<std::is_void_v<Result>, std::monostate, Result>>;
    auto kept = std::make_shared<Kept>();
    auto initiation = [executor, kept, function = std::move(function)](auto handler) mutable {
        auto work = [kept, function = std::move(function)]() mutable {
            if constexpr (std::is_void_v<Result>) {
                function();
                kept->emplace();
            } else {
                kept->emplace(function());
            }
        };
        detail::postThereAndBack(executor, std::move(work), std::move(handler));
    };
    auto working =
        boost::asio::async_initiate<const boost::asio::use_awaitable_t<>&, void(std::exception_ptr)>(
            std::move(initiation), boost::asio::use_awaitable);
    co_await std::move(working);
    if constexpr (!std::is_void_v<Result>)
        co_return std::move(**kept);
}

VELTO_COROUTINE_FRAMES_END

/// Runs blocking work on the pool; see runBlocking.
template <typename Function>
auto onPool(boost::asio::thread_pool& pool, Function function)
    -> boost::asio::awaitable<decltype(function())> {
    return runBlocking(pool.get_executor(), std::move(function));
}

/// Runs blocking work that takes a StopFlag on the pool. Cancelling the caller requests the stop and
/// still waits for the work to end, so nothing it does outlives the call; work that returns early
/// for the stop should throw through `StopFlag::throwIfRequested`, which the caller sees as Asio's
/// operation_aborted.
template <typename Function>
boost::asio::awaitable<void> onPoolUntilStopped(boost::asio::thread_pool& pool, Function function) {
    StopFlag stop;
    auto initiation = [&pool, stop, function = std::move(function)](auto handler) mutable {
        auto slot = boost::asio::get_associated_cancellation_slot(handler);
        if (slot.is_connected())
            slot.assign([stop](boost::asio::cancellation_type) { stop.request(); });
        auto work = [stop, function = std::move(function)]() mutable {
            function(static_cast<const StopFlag&>(stop));
        };
        detail::postThereAndBack(pool.get_executor(), std::move(work), std::move(handler));
    };
    co_await boost::asio::async_initiate<const boost::asio::use_awaitable_t<>, void(std::exception_ptr)>(
        std::move(initiation), boost::asio::use_awaitable);
}

} // namespace velto
