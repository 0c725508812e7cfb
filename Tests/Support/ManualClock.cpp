#include "ManualClock.hpp"

#include <boost/asio/cancellation_type.hpp>
#include <boost/asio/redirect_error.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>
#include <boost/system/system_error.hpp>

namespace velto::testing {

boost::asio::awaitable<void> ManualClock::sleep(Duration duration) {
    bool slept = co_await sleepUnlessCancelled(duration);
    if (!slept)
        throw boost::system::system_error(boost::asio::error::operation_aborted);
}

boost::asio::awaitable<bool> ManualClock::sleepUnlessCancelled(Duration duration) {
    requested_.push_back(duration);
    auto cancellation = co_await boost::asio::this_coro::cancellation_state;
    if (cancellation.cancelled() != boost::asio::cancellation_type::none)
        co_return false;
    auto sleeper = std::make_shared<Sleeper>(co_await boost::asio::this_coro::executor);
    sleeper->deadline = now_ + duration;
    if (duration <= Duration::zero())
        co_return true;
    sleeper->timer.expires_at(boost::asio::steady_timer::time_point::max());
    auto position = sleepers_.insert(sleepers_.end(), sleeper);
    boost::system::error_code error;
    co_await sleeper->timer.async_wait(boost::asio::redirect_error(boost::asio::use_awaitable, error));
    if (!sleeper->fired)
        sleepers_.erase(position);
    co_return sleeper->fired;
}

void ManualClock::advance(Duration duration) {
    now_ += duration;
    for (auto it = sleepers_.begin(); it != sleepers_.end();) {
        if ((*it)->deadline <= now_) {
            (*it)->fired = true;
            (*it)->timer.cancel();
            it = sleepers_.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace velto::testing
