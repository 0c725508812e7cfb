#include "VeltoDevice/Update/StagingTask.hpp"

#include "VeltoDevice/Support/CancellableTask.hpp"
#include "VeltoDevice/Support/Latch.hpp"

namespace velto {

struct StagingTask::State {
    explicit State(const boost::asio::any_io_executor& executor)
        : task(std::make_shared<CancellableTask>(executor, Logger("update"), "stage the update")),
          ended(executor) {}

    std::shared_ptr<CancellableTask> task;
    Latch ended;
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
    co_await state->ended.wait();
}

boost::asio::awaitable<void> StagingTask::runThenSignal(std::shared_ptr<State> state,
                                                        boost::asio::awaitable<void> operation) {
    try {
        co_await std::move(operation);
    } catch (...) {
        // The operation reports its own failures; a stop ends here as well.
    }
    state->ended.open();
}

} // namespace velto
