#pragma once

#include "VeltoDesktop/System/PowerEventSource.hpp"
#include "VeltoDevice/Support/CancellableTask.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>

#include <QPointer>
#include <cstddef>
#include <memory>

namespace velto {

class AppModel;

/// Disconnects while the machine sleeps and reconnects when it wakes. Each sleep notification runs
/// the model's sleep steps, each wake notification its wake steps, one notification at a time per
/// kind and in order; a sleep and a wake may interleave at their awaits. After the sleep steps the
/// source is told, so the machine may go to sleep. Holds the model weakly. Main thread only.
class PowerEvents {
public:
    PowerEvents(boost::asio::any_io_executor main, std::shared_ptr<PowerEventSource> source,
                QPointer<AppModel> model);
    ~PowerEvents();

    PowerEvents(const PowerEvents&) = delete;
    PowerEvents& operator=(const PowerEvents&) = delete;

    /// Starts observing; false when the source can deliver nothing.
    bool observe();
    /// Ends both observations (at termination): the steps under way are cancelled and no later
    /// notification has any effect.
    void cancel();

    std::size_t pendingSleeps() const { return sleep_->pending; }

private:
    /// The notifications of one kind not yet handled, and whether a handler runs.
    struct Queue {
        std::size_t pending = 0;
        bool isRunning = false;
        bool isCancelled = false;
        std::shared_ptr<CancellableTask> task;
    };

    void notify(const std::shared_ptr<Queue>& queue, bool isSleep);
    static boost::asio::awaitable<void> drain(std::shared_ptr<Queue> queue, bool isSleep,
                                              QPointer<AppModel> model,
                                              std::shared_ptr<PowerEventSource> source);

    boost::asio::any_io_executor main_;
    std::shared_ptr<PowerEventSource> source_;
    QPointer<AppModel> model_;
    std::shared_ptr<Queue> sleep_ = std::make_shared<Queue>();
    std::shared_ptr<Queue> wake_ = std::make_shared<Queue>();
};

} // namespace velto
