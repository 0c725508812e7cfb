#include "VeltoDevice/Support/JoinableTask.hpp"

#include <boost/asio/co_spawn.hpp>
#include <boost/asio/error.hpp>
#include <boost/asio/redirect_error.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>
#include <boost/system/system_error.hpp>

#include <exception>

namespace velto {

JoinableTask::JoinableTask(boost::asio::any_io_executor executor) : executor_(std::move(executor)) {}

void JoinableTask::start(boost::asio::awaitable<void> operation) {
    boost::asio::co_spawn(executor_, std::move(operation),
                          [self = shared_from_this()](std::exception_ptr) { self->end(); });
}

void JoinableTask::end() {
    ended_ = true;
    // Each waiter completes through its own executor, never inside this call.
    for (auto& waiter : waiters_)
        waiter->cancel();
    waiters_.clear();
}

boost::asio::awaitable<void> JoinableTask::join() {
    if (ended_)
        co_return;
    auto self = shared_from_this();
    auto waiter = std::make_shared<boost::asio::steady_timer>(co_await boost::asio::this_coro::executor);
    waiter->expires_at(boost::asio::steady_timer::time_point::max());
    auto position = waiters_.insert(waiters_.end(), waiter);
    boost::system::error_code error;
    co_await waiter->async_wait(boost::asio::redirect_error(boost::asio::use_awaitable, error));
    if (ended_)
        co_return;
    waiters_.erase(position);
    throw boost::system::system_error(boost::asio::error::operation_aborted);
}

} // namespace velto
