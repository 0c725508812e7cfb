#include "VeltoDevice/Connection/ClosingHandshakes.hpp"

#include "VeltoDevice/Support/WithTimeout.hpp"

#include <boost/asio/redirect_error.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>

#include <algorithm>

namespace velto {

namespace {

/// What ends the wait when its time runs out.
struct HandshakesOutlasted {};

boost::asio::awaitable<void> waitOn(std::shared_ptr<boost::asio::steady_timer> timer) {
    boost::system::error_code ignored;
    co_await timer->async_wait(boost::asio::redirect_error(boost::asio::use_awaitable, ignored));
}

} // namespace

ClosingHandshakes& ClosingHandshakes::shared() {
    static ClosingHandshakes handshakes;
    return handshakes;
}

ClosingHandshakes::Token ClosingHandshakes::begin() {
    ++count_;
    return Token(static_cast<void*>(this),
                 [](void* handshakes) { static_cast<ClosingHandshakes*>(handshakes)->end(); });
}

void ClosingHandshakes::end() {
    if (count_ > 0)
        --count_;
    if (count_ > 0)
        return;
    auto waiters = std::move(waiters_);
    waiters_.clear();
    for (const auto& timer : waiters)
        timer->cancel();
}

boost::asio::awaitable<void> ClosingHandshakes::finished(Clock& clock, Clock::Duration limit) {
    if (count_ == 0)
        co_return;
    auto timer = std::make_shared<boost::asio::steady_timer>(co_await boost::asio::this_coro::executor,
                                                             boost::asio::steady_timer::time_point::max());
    waiters_.push_back(timer);
    try {
        auto waiting = waitOn(timer);
        co_await withTimeout(clock, limit, HandshakesOutlasted{}, std::move(waiting));
    } catch (const HandshakesOutlasted&) {
    }
    std::erase(waiters_, timer);
}

} // namespace velto
