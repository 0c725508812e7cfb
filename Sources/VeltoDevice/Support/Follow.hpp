#pragma once

#include "VeltoDevice/Support/NewestStream.hpp"
#include "VeltoDevice/Support/RunOn.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>
#include <boost/asio/cancellation_type.hpp>
#include <boost/asio/error.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/system/system_error.hpp>

#include <exception>
#include <optional>
#include <type_traits>
#include <utility>

namespace velto {

/// Follows a library stream (connection states, profiles, the runner's and the updater's events)
/// from the caller's executor: each value is taken on `home`, the executor the stream lives on, and
/// handed to `onValue` on the caller's, in order, one at a time. `onValue` takes the value and
/// returns nothing or an awaitable of nothing.
///
/// Ends normally when the stream finishes (as it does when its owner goes away) or when the caller
/// is cancelled; a value pushed after that stays in the stream for the next reader. An error of
/// `onValue` is thrown. The stream is only reached through a reader taken
/// at the start, so its owner needs to be alive only then.
template <typename T, typename OnValue>
boost::asio::awaitable<void> follow(boost::asio::any_io_executor home, NewestStream<T>& stream,
                                    OnValue onValue) {
    return follow<T>(std::move(home), stream.reader(), std::move(onValue));
}

/// The same through a reader taken earlier, for a caller that must not keep the stream's owner alive
/// until the follow starts (the owner may then be gone already: the stream has finished).
template <typename T, typename OnValue>
boost::asio::awaitable<void> follow(boost::asio::any_io_executor home,
                                    typename NewestStream<T>::Reader reader, OnValue onValue) {
    for (;;) {
        std::exception_ptr aborted;
        try {
            auto next = reader.next();
            std::optional<T> value = co_await runOn(home, std::move(next));
            if (!value)
                co_return;
            if constexpr (std::is_void_v<decltype(onValue(std::move(*value)))>) {
                onValue(std::move(*value));
            } else {
                auto handled = onValue(std::move(*value));
                co_await std::move(handled);
            }
        } catch (const boost::system::system_error& error) {
            if (error.code() != boost::asio::error::operation_aborted)
                throw;
            aborted = std::current_exception();
        }
        if (aborted) {
            // The caller's own cancellation ends the follow; a stray one of `onValue` is its error.
            auto cancellation = co_await boost::asio::this_coro::cancellation_state;
            if (cancellation.cancelled() == boost::asio::cancellation_type::none)
                std::rethrow_exception(aborted);
            co_return;
        }
    }
}

} // namespace velto
