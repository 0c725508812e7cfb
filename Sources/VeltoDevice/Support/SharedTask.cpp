#include "VeltoDevice/Support/SharedTask.hpp"

#include "VeltoDevice/Support/Latch.hpp"
#include "VeltoDevice/Support/LoggedCompletion.hpp"

#include <boost/asio/co_spawn.hpp>

#include <exception>

namespace velto {

/// One run, which the callers wait for to end.
struct SharedTask::Run {
    explicit Run(const boost::asio::any_io_executor& executor) : ended(executor) {}

    Latch ended;

    static boost::asio::awaitable<void> wait(std::shared_ptr<Run> run) { co_await run->ended.wait(); }
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
        run->ended.open();
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
    auto run = std::make_shared<Run>(state_->executor);
    state_->current = run;
    boost::asio::co_spawn(state_->executor, State::perform(state_, run, std::move(operation)),
                          LoggedCompletion(Logger("app"), "run a shared task"));
    co_await Run::wait(std::move(run));
}

} // namespace velto
