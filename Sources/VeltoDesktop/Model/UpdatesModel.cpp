#include "VeltoDesktop/Model/UpdatesModel.hpp"

#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/Model/AssignNotifying.hpp"
#include "VeltoDesktop/Model/InstallWhenIdle.hpp"
#include "VeltoDesktop/Model/MainThread.hpp"
#include "VeltoDevice/Support/Follow.hpp"
#include "VeltoDevice/Support/LoggedCompletion.hpp"

#include <boost/asio/co_spawn.hpp>

#include <QPointer>

namespace velto {

UpdatesModel::UpdatesModel(boost::asio::any_io_executor main, boost::asio::any_io_executor device,
                           std::shared_ptr<JobRunnerControl> runner,
                           std::shared_ptr<UpdateCoordinator> updates)
    : device_(std::move(device)), runner_(std::move(runner)), updates_(std::move(updates)),
      tasks_(*this, std::move(main), appLog()) {}

void UpdatesModel::setPendingVersion(std::optional<std::string> version) {
    assignNotifying(*this, pendingVersion_, std::move(version), &UpdatesModel::pendingVersionChanged);
}

void UpdatesModel::start(Announce announce, std::function<void()> terminate) {
    assertOnMainThread();
    // The runner's stream is read on the device thread, where the runner lives.
    auto installing = [](std::shared_ptr<JobRunnerControl> runner,
                         std::shared_ptr<UpdateCoordinator> updates) -> boost::asio::awaitable<void> {
        auto events = runner->idleEvents().reader();
        auto waiting = installWhenIdle(std::move(events), [updates] { return updates->jobsBecameIdle(); });
        co_await std::move(waiting);
    }(runner_, updates_);
    boost::asio::co_spawn(device_, std::move(installing),
                          LoggedCompletion(appLog(), "install when the jobs are idle"));
    // Every room event re-announces the hello, whether or not it changed.
    tasks_.spawn(
        "announce the hello when a place frees",
        follow(device_, runner_->roomEvents(), [announce](JobRunnerControl::Event) { return announce(); }));
    auto onProgress = [self = QPointer<UpdatesModel>(this), announce,
                       end = std::move(terminate)](UpdateProgress progress) -> boost::asio::awaitable<void> {
        if (!self)
            co_return;
        switch (progress.kind) {
        case UpdateProgress::Case::waitingForReview:
            self->setPendingVersion(progress.version);
            co_await announce();
            break;
        case UpdateProgress::Case::none:
            self->setPendingVersion(std::nullopt);
            co_await announce();
            break;
        case UpdateProgress::Case::installed:
            end();
            break;
        }
    };
    tasks_.spawn("follow the update progress", follow(device_, updates_->progress(), std::move(onProgress)));
}

} // namespace velto
