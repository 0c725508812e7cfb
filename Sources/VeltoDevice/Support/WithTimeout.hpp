#pragma once

#include "VeltoDevice/Support/Clock.hpp"

#include <boost/asio/awaitable.hpp>

#include <exception>
#include <optional>
#include <type_traits>
#include <utility>

namespace velto {

namespace detail {

/// Races `operation` against a sleep of `duration` on `clock`. The first to finish decides: the
/// operation's success returns, its error is rethrown, the sleep's end throws `timeoutError`. The
/// loser is cancelled and awaited before this returns, so an operation that ignores cancellation
/// holds the outcome back until it ends.
boost::asio::awaitable<void> raceAgainstTimeout(Clock& clock, Clock::Duration duration,
                                                std::exception_ptr timeoutError,
                                                boost::asio::awaitable<void> operation);

template <typename T>
boost::asio::awaitable<void> storingResult(std::optional<T>& result, boost::asio::awaitable<T> operation) {
    result.emplace(co_await std::move(operation));
}

} // namespace detail

/// The value of `operation`, or `error` thrown when `duration` passes on `clock` first. An operation
/// that fails before the time-out fails with its own error; cancelling the caller cancels both.
template <typename T, typename E>
boost::asio::awaitable<T> withTimeout(Clock& clock, Clock::Duration duration, E error,
                                      boost::asio::awaitable<T> operation) {
    auto timeoutError = std::make_exception_ptr(std::move(error));
    if constexpr (std::is_void_v<T>) {
        co_await detail::raceAgainstTimeout(clock, duration, std::move(timeoutError), std::move(operation));
    } else {
        std::optional<T> result;
        co_await detail::raceAgainstTimeout(clock, duration, std::move(timeoutError),
                                            detail::storingResult(result, std::move(operation)));
        co_return std::move(*result);
    }
}

} // namespace velto
