#include "VeltoDevice/Support/WithTimeout.hpp"

#include <boost/asio/co_spawn.hpp>
#include <boost/asio/deferred.hpp>
#include <boost/asio/experimental/parallel_group.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>

namespace velto::detail {

namespace {

boost::asio::awaitable<void> sleepOn(Clock& clock, Clock::Duration duration) {
    co_await clock.sleep(duration);
}

} // namespace

// Not the awaitable `||` operator: it waits for a success, so an operation failing at once would
// still sit out the whole time-out. The first completion of either kind decides here.
boost::asio::awaitable<void> raceAgainstTimeout(Clock& clock, Clock::Duration duration,
                                                std::exception_ptr timeoutError,
                                                boost::asio::awaitable<void> operation) {
    auto executor = co_await boost::asio::this_coro::executor;
    auto [order, operationError, timerError] =
        co_await boost::asio::experimental::make_parallel_group(
            boost::asio::co_spawn(executor, std::move(operation), boost::asio::deferred),
            boost::asio::co_spawn(executor, sleepOn(clock, duration), boost::asio::deferred))
            .async_wait(boost::asio::experimental::wait_for_one(), boost::asio::use_awaitable);
    if (order[0] == 0) {
        if (operationError)
            std::rethrow_exception(operationError);
        co_return;
    }
    // A timer that failed (cancelled with the caller) reports that rather than the time-out.
    std::rethrow_exception(timerError ? timerError : timeoutError);
}

} // namespace velto::detail
