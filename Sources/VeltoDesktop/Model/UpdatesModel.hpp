#pragma once

#include "VeltoDesktop/Model/JobRunnerControl.hpp"
#include "VeltoDesktop/Model/OwnedTasks.hpp"
#include "VeltoDevice/Update/UpdateCoordinator.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace velto {

/// Updates between jobs as the application follows them: the version that waits for the jobs to end,
/// the install once the runner is idle, and the application's end once one is installed. Main thread;
/// the runner and the coordinator live on the device executor.
class UpdatesModel final : public QObject {
    Q_OBJECT

public:
    using Announce = std::function<boost::asio::awaitable<void>()>;

    UpdatesModel(boost::asio::any_io_executor main, boost::asio::any_io_executor device,
                 std::shared_ptr<JobRunnerControl> runner, std::shared_ptr<UpdateCoordinator> updates);

    /// The staged version that waits for the running jobs; nothing when none waits.
    const std::optional<std::string>& pendingVersion() const { return pendingVersion_; }

    /// Starts the idle, room and progress tasks. Every room event, and every change of the pending
    /// version, calls `announce`; `terminate` ends the application after an install.
    void start(Announce announce, std::function<void()> terminate);

Q_SIGNALS:
    void pendingVersionChanged();

private:
    void setPendingVersion(std::optional<std::string> version);

    boost::asio::any_io_executor device_;
    std::shared_ptr<JobRunnerControl> runner_;
    std::shared_ptr<UpdateCoordinator> updates_;
    std::optional<std::string> pendingVersion_;
    OwnedTasks tasks_;
};

} // namespace velto
