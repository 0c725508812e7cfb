#include "VeltoDesktop/Model/MainThreadContext.hpp"

#include <QCoreApplication>
#include <QThread>

namespace velto {

namespace {

/// One piece of posted work, carried by the event that runs it.
class WorkEvent final : public QEvent {
public:
    static QEvent::Type type() {
        static const auto registered = static_cast<QEvent::Type>(QEvent::registerEventType());
        return registered;
    }

    explicit WorkEvent(std::unique_ptr<detail::MainThreadWork> work)
        : QEvent(type()), work_(std::move(work)) {}

    void run() {
        // Taken out first, so that the work is gone once it has run, whatever it queues meanwhile.
        auto work = std::move(work_);
        work->run();
    }

private:
    std::unique_ptr<detail::MainThreadWork> work_;
};

} // namespace

MainThreadContext::MainThreadContext() : handle_(std::make_shared<Handle>()) {
    handle_->context = this;
}

MainThreadContext::~MainThreadContext() {
    {
        std::lock_guard lock(handle_->mutex);
        handle_->context = nullptr;
    }
    // Queued work (coroutine frames among it) goes before the context's services are shut down.
    QCoreApplication::removePostedEvents(this, WorkEvent::type());
    shutdown();
    destroy();
}

bool MainThreadContext::isCurrentThread() const {
    return QThread::currentThread() == thread();
}

bool MainThreadContext::isCurrentThread(Handle& handle) {
    std::lock_guard lock(handle.mutex);
    return handle.context != nullptr && handle.context->isCurrentThread();
}

void MainThreadContext::post(Handle& handle, std::unique_ptr<detail::MainThreadWork> work) {
    {
        std::lock_guard lock(handle.mutex);
        if (handle.context) {
            QCoreApplication::postEvent(handle.context, new WorkEvent(std::move(work)));
            return;
        }
    }
    // The context is gone: the work is destroyed here, outside the lock (destroying it may post again).
    work.reset();
}

bool MainThreadContext::event(QEvent* event) {
    if (event->type() == WorkEvent::type()) {
        static_cast<WorkEvent*>(event)->run();
        ++completed_;
        return true;
    }
    return QObject::event(event);
}

} // namespace velto
