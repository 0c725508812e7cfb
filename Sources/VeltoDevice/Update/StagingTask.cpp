#include "VeltoDevice/Update/StagingTask.hpp"

#include "VeltoDevice/Support/CancellableTask.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"

#include <boost/asio/redirect_error.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/use_awaitable.hpp>

namespace velto {

struct StagingTask::State {
    explicit State(const boost::asio::any_io_executor& executor)
        : task(std::make_shared<CancellableTask>(executor)), done(executor) {
        done.expires_at(boost::asio::steady_timer::time_point::max());
    }

    std::shared_ptr<CancellableTask> task;
    /// Its waiters wake when it is cancelled at the end.
    boost::asio::steady_timer done;
    bool ended = false;
};

StagingTask::StagingTask(boost::asio::any_io_executor executor) : state_(std::make_shared<State>(executor)) {}

StagingTask::~StagingTask() = default;

void StagingTask::start(boost::asio::awaitable<void> operation) {
    state_->task->start(runThenSignal(state_, std::move(operation)));
}

void StagingTask::cancel() {
    state_->task->cancel();
}

boost::asio::awaitable<void> StagingTask::ended() {
    auto state = state_;
    if (state->ended)
        co_return;
    boost::system::error_code ignored;
    co_await state->done.async_wait(boost::asio::redirect_error(boost::asio::use_awaitable, ignored));
    if (!state->ended)
        throwCancellation();
}

boost::asio::awaitable<void> StagingTask::runThenSignal(std::shared_ptr<State> state,
                                                        boost::asio::awaitable<void> operation) {
    try {
        co_await std::move(operation);
    } catch (...) {
        // The operation reports its own failures; a stop ends here as well.
    }
    state->ended = true;
    state->done.cancel();
}

} // namespace velto
