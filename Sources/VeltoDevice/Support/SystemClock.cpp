#include "VeltoDevice/Support/SystemClock.hpp"

#include <boost/asio/as_tuple.hpp>
#include <boost/asio/cancellation_type.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>

namespace velto {

Clock::Instant SystemClock::now() const {
    return std::chrono::time_point_cast<Duration>(std::chrono::steady_clock::now());
}

boost::asio::awaitable<void> SystemClock::sleep(Duration duration) {
    boost::asio::steady_timer timer(co_await boost::asio::this_coro::executor);
    timer.expires_after(duration);
    co_await timer.async_wait(boost::asio::use_awaitable);
}

boost::asio::awaitable<bool> SystemClock::sleepUnlessCancelled(Duration duration) {
    // A cancelled coroutine would throw at its next co_await of an operation.
    auto cancellation = co_await boost::asio::this_coro::cancellation_state;
    if (cancellation.cancelled() != boost::asio::cancellation_type::none)
        co_return false;
    boost::asio::steady_timer timer(co_await boost::asio::this_coro::executor);
    timer.expires_after(duration);
    auto [error] = co_await timer.async_wait(boost::asio::as_tuple(boost::asio::use_awaitable));
    co_return !error;
}

std::shared_ptr<SystemClock> SystemClock::shared() {
    static auto clock = std::make_shared<SystemClock>();
    return clock;
}

} // namespace velto
