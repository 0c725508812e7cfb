#include "VeltoDevice/Support/Latch.hpp"

#include "VeltoDevice/Support/Exceptions.hpp"

#include <boost/asio/redirect_error.hpp>
#include <boost/asio/use_awaitable.hpp>
#include <boost/system/error_code.hpp>

namespace velto {

Latch::Latch(const boost::asio::any_io_executor& executor)
    : timer_(executor, boost::asio::steady_timer::time_point::max()) {}

void Latch::open() {
    isOpen_ = true;
    timer_.cancel();
}

boost::asio::awaitable<void> Latch::wait() {
    if (isOpen_)
        co_return;
    // Every wait is on the one timer: opening cancels them all, a caller's cancellation only its own.
    boost::system::error_code ignored;
    co_await timer_.async_wait(boost::asio::redirect_error(boost::asio::use_awaitable, ignored));
    if (!isOpen_)
        throwCancellation();
}

} // namespace velto
