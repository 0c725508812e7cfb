#pragma once

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/thread_pool.hpp>
#include <boost/asio/use_awaitable.hpp>

#include <utility>

namespace velto {

/// Runs blocking work on the executor (a pool's) and resumes the caller on its own executor with the
/// result (or the exception). Without an executor (an empty one), the work runs in place.
template <typename Function>
auto onExecutor(boost::asio::any_io_executor executor, Function function)
    -> boost::asio::awaitable<decltype(function())> {
    using Result = decltype(function());
    if (!executor)
        co_return function();
    // Named, not a temporary of the co_await expression: g++ 12 destroys such a temporary twice.
    auto work = [function = std::move(function)]() mutable -> boost::asio::awaitable<Result> {
        co_return function();
    };
    co_return co_await boost::asio::co_spawn(executor, std::move(work), boost::asio::use_awaitable);
}

/// Runs blocking work on the pool and resumes the caller on its own executor with the result
/// (or the exception).
template <typename Function>
auto onPool(boost::asio::thread_pool& pool, Function function)
    -> boost::asio::awaitable<decltype(function())> {
    return onExecutor(pool.get_executor(), std::move(function));
}

} // namespace velto
