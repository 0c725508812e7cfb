#include "VeltoDesktop/System/PowerEvents.hpp"

#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/Model/AppModel.hpp"
#include "VeltoDesktop/Model/MainThread.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"

#include <exception>

namespace velto {

PowerEvents::PowerEvents(boost::asio::any_io_executor main, std::shared_ptr<PowerEventSource> source,
                         QPointer<AppModel> model)
    : main_(std::move(main)), source_(std::move(source)), model_(std::move(model)) {}

PowerEvents::~PowerEvents() {
    cancel();
}

bool PowerEvents::observe() {
    std::weak_ptr<Queue> sleep = sleep_;
    std::weak_ptr<Queue> wake = wake_;
    PowerEventSource::Handlers handlers;
    handlers.willSleep = [this, sleep] {
        if (auto queue = sleep.lock())
            notify(queue, true);
    };
    handlers.didWake = [this, wake] {
        if (auto queue = wake.lock())
            notify(queue, false);
    };
    return source_->observe(std::move(handlers));
}

void PowerEvents::cancel() {
    for (const auto& queue : {sleep_, wake_}) {
        queue->isCancelled = true;
        queue->pending = 0;
        if (queue->task)
            queue->task->cancel();
    }
}

void PowerEvents::notify(const std::shared_ptr<Queue>& queue, bool isSleep) {
    assertOnMainThread();
    if (queue->isCancelled)
        return;
    ++queue->pending;
    if (queue->isRunning)
        return;
    queue->isRunning = true;
    queue->task = std::make_shared<CancellableTask>(main_, appLog(), isSleep ? "sleep" : "wake");
    queue->task->start(drain(queue, isSleep, model_, source_));
}

boost::asio::awaitable<void> PowerEvents::drain(std::shared_ptr<Queue> queue, bool isSleep,
                                                QPointer<AppModel> model,
                                                std::shared_ptr<PowerEventSource> source) {
    while (queue->pending > 0 && !queue->isCancelled) {
        --queue->pending;
        std::exception_ptr failure;
        try {
            if (model) {
                if (isSleep)
                    co_await model->sleep();
                else
                    co_await model->wake();
            }
        } catch (...) {
            failure = std::current_exception();
        }
        if (isSleep)
            source->sleepHandled();
        if (failure && isCancellation(failure))
            break;
    }
    queue->isRunning = false;
}

} // namespace velto
