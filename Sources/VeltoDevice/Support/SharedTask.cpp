#include "VeltoDevice/Support/SharedTask.hpp"

#include "VeltoDevice/Support/Exceptions.hpp"

#include <boost/asio/co_spawn.hpp>
#include <boost/asio/redirect_error.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>

#include <exception>
#include <list>

namespace velto {

/// One run and the callers waiting for it.
struct SharedTask::Run {
    bool ended = false;
    std::list<std::shared_ptr<boost::asio::steady_timer>> waiters;

    void end() {
        ended = true;
        // Each waiter completes through its own executor, never inside this call.
        for (auto& waiter : waiters)
            waiter->cancel();
        waiters.clear();
    }

    static boost::asio::awaitable<void> wait(std::shared_ptr<Run> run) {
        if (run->ended)
            co_return;
        auto waiter = std::make_shared<boost::asio::steady_timer>(co_await boost::asio::this_coro::executor);
        waiter->expires_at(boost::asio::steady_timer::time_point::max());
        auto position = run->waiters.insert(run->waiters.end(), waiter);
        boost::system::error_code error;
        co_await waiter->async_wait(boost::asio::redirect_error(boost::asio::use_awaitable, error));
        if (run->ended)
            co_return;
        run->waiters.erase(position);
        throwCancellation();
    }
};

struct SharedTask::State {
    explicit State(boost::asio::any_io_executor onExecutor) : executor(std::move(onExecutor)) {}

    boost::asio::any_io_executor executor;
    std::shared_ptr<Run> current;

    /// The run itself; the state outlives the task object while it runs.
    static boost::asio::awaitable<void> perform(std::shared_ptr<State> self, std::shared_ptr<Run> run,
                                                Operation operation) {
        try {
            co_await operation();
        } catch (...) {
        }
        if (self->current == run)
            self->current.reset();
        run->end();
    }
};

SharedTask::SharedTask(boost::asio::any_io_executor executor)
    : state_(std::make_shared<State>(std::move(executor))) {}

SharedTask::~SharedTask() = default;

bool SharedTask::isRunning() const {
    return state_->current != nullptr;
}

boost::asio::awaitable<void> SharedTask::join() {
    if (auto run = state_->current)
        co_await Run::wait(std::move(run));
}

boost::asio::awaitable<void> SharedTask::run(Operation operation) {
    auto run = std::make_shared<Run>();
    state_->current = run;
    boost::asio::co_spawn(state_->executor, State::perform(state_, run, std::move(operation)),
                          [](std::exception_ptr) {});
    co_await Run::wait(std::move(run));
}

} // namespace velto
