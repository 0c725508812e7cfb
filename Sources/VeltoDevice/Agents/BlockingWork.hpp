#pragma once

#include "VeltoDevice/Support/Blocking.hpp"

#include <boost/asio/awaitable.hpp>
#include <boost/asio/thread_pool.hpp>

#include <utility>

namespace velto {

/// File work of the add-ons: on the pool when there is one (digests and copies of large folders must
/// not hold the I/O thread), in place otherwise.
template <typename Function>
auto onPoolOrInPlace(boost::asio::thread_pool* pool, Function function)
    -> boost::asio::awaitable<decltype(function())> {
    if (pool == nullptr)
        co_return function();
    co_return co_await onPool(*pool, std::move(function));
}

} // namespace velto
