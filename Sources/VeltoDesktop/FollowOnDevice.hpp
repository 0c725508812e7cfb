#pragma once

#include "VeltoDesktop/OnDevice.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"
#include "VeltoDevice/Support/NewestStream.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>

#include <exception>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

namespace velto {

namespace detail {

/// The next value of the owner's stream, taken on the owner's executor. The owner is held only while
/// the wait is set up, so a follower never keeps it alive: once it is gone its stream ends.
template <typename Owner, typename T>
boost::asio::awaitable<std::optional<T>> nextOf(std::weak_ptr<Owner> weak,
                                                NewestStream<T>& (Owner::*select)()) {
    boost::asio::awaitable<std::optional<T>> next;
    {
        auto owner = weak.lock();
        if (!owner)
            co_return std::nullopt;
        next = ((*owner).*select)().next();
    }
    co_return co_await std::move(next);
}

} // namespace detail

/// Follows a stream of a library object that lives on `home` from the caller's executor: each value
/// is taken there and handed to `onValue` here, in order, one at a time (`onValue` returns nothing or
/// an awaitable of nothing). Ends when the stream ends, when its owner is gone, or when the caller is
/// cancelled; errors of `onValue` are thrown.
template <typename Owner, typename T, typename OnValue>
boost::asio::awaitable<void> followOnDevice(boost::asio::any_io_executor home, std::weak_ptr<Owner> owner,
                                            NewestStream<T>& (Owner::*select)(), OnValue onValue) {
    for (;;) {
        std::optional<T> value;
        try {
            auto next = detail::nextOf<Owner, T>(owner, select);
            value = co_await onDevice(home, std::move(next));
        } catch (...) {
            if (isCancellation(std::current_exception()))
                co_return;
            throw;
        }
        if (!value)
            co_return;
        if constexpr (std::is_void_v<decltype(onValue(std::move(*value)))>) {
            onValue(std::move(*value));
        } else {
            auto handled = onValue(std::move(*value));
            co_await std::move(handled);
        }
    }
}

} // namespace velto
