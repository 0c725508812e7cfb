#pragma once

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/use_awaitable.hpp>

#include <optional>
#include <type_traits>
#include <utility>

namespace velto {

/// Runs a library operation on `device`, the executor its objects live on, and resumes the caller on
/// its own executor (the main thread's) with the operation's value or exception, whatever the value's
/// type. Cancelling the caller cancels the operation there. The model reaches the library only
/// through this call.
template <typename T>
boost::asio::awaitable<T> onDevice(boost::asio::any_io_executor device, boost::asio::awaitable<T> operation) {
    if constexpr (std::is_void_v<T>) {
        co_await boost::asio::co_spawn(std::move(device), std::move(operation), boost::asio::use_awaitable);
    } else {
        // co_spawn's use_awaitable needs a default-constructible result: carry the value in an optional.
        auto carried = [](boost::asio::awaitable<T> inner) -> boost::asio::awaitable<std::optional<T>> {
            co_return std::optional<T>(co_await std::move(inner));
        }(std::move(operation));
        auto value =
            co_await boost::asio::co_spawn(std::move(device), std::move(carried), boost::asio::use_awaitable);
        co_return std::move(*value);
    }
}

/// Runs blocking work (the keyring, the enrollment files) on `executor`, the storage strand of the
/// blocking pool, and hands its value or exception back to the caller's executor.
template <typename Function>
auto onStorage(boost::asio::any_io_executor executor, Function function)
    -> boost::asio::awaitable<decltype(function())> {
    using Result = decltype(function());
    auto work = [](Function blocking) -> boost::asio::awaitable<Result> { co_return blocking(); };
    return onDevice(std::move(executor), work(std::move(function)));
}

} // namespace velto
