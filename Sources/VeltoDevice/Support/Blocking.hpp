#pragma once

#include <boost/asio/awaitable.hpp>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/thread_pool.hpp>
#include <boost/asio/use_awaitable.hpp>

#include <utility>

namespace velto {

/// Runs blocking work on the pool and resumes the caller on its own executor with the result
/// (or the exception).
template <typename Function>
auto onPool(boost::asio::thread_pool& pool, Function function)
    -> boost::asio::awaitable<decltype(function())> {
    using Result = decltype(function());
    // Named, not a temporary of the co_await expression: g++ 12 destroys such a temporary twice.
    auto work = [function = std::move(function)]() mutable -> boost::asio::awaitable<Result> {
        co_return function();
    };
    co_return co_await boost::asio::co_spawn(pool.get_executor(), std::move(work),
                                             boost::asio::use_awaitable);
}

} // namespace velto
