#pragma once

#include "VeltoDevice/Support/CoroutineFrameWarning.hpp"
#include "VeltoDevice/Support/RunOn.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>
#include <boost/asio/thread_pool.hpp>

#include <utility>

namespace velto {

VELTO_COROUTINE_FRAMES_BEGIN
/// Runs blocking work on `executor` (the blocking pool, or a strand of it) and resumes the caller
/// on its own executor with the result, whatever its type, or the exception.
template <typename Function>
auto runBlocking(boost::asio::any_io_executor executor, Function function)
    -> boost::asio::awaitable<decltype(function())> {
    using Result = decltype(function());
    // A parameter of the coroutine, so it lives in the frame rather than in a lambda's captures.
    auto work = [](Function blocking) -> boost::asio::awaitable<Result> { co_return blocking(); };
    return runOn(std::move(executor), work(std::move(function)));
}

VELTO_COROUTINE_FRAMES_END

/// Runs blocking work on the pool; see runBlocking.
template <typename Function>
auto onPool(boost::asio::thread_pool& pool, Function function)
    -> boost::asio::awaitable<decltype(function())> {
    return runBlocking(pool.get_executor(), std::move(function));
}

} // namespace velto
