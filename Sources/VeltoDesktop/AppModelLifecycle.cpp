// Sleep and wake, and updates between jobs.
#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/AppModel.hpp"
#include "VeltoDesktop/InstallWhenIdle.hpp"
#include "VeltoDesktop/MainThread.hpp"
#include "VeltoDevice/Connection/ClosingHandshakes.hpp"
#include "VeltoDevice/Support/Follow.hpp"
#include "VeltoDevice/Support/LoggedCompletion.hpp"
#include "VeltoDevice/Support/RunOn.hpp"

#include <boost/asio/co_spawn.hpp>

#include <QPointer>

namespace velto {

boost::asio::awaitable<void> AppModel::cancelAllJobs() {
    assertOnMainThread();
    auto cancelling = [](std::shared_ptr<JobRunnerControl> runner) -> boost::asio::awaitable<void> {
        co_await runner->cancelAll();
    }(runner_);
    co_await runOn(device_, std::move(cancelling));
}

boost::asio::awaitable<void> AppModel::quit(Clock::Duration jobGrace, Clock::Duration closeLimit) {
    assertOnMainThread();
    isQuitting_ = true;
    // Jobs first: a job's failed finish goes out on its organization's socket.
    auto stopping = [](std::shared_ptr<JobRunnerControl> runner,
                       Clock::Duration grace) -> boost::asio::awaitable<void> {
        co_await runner->stopAll(grace);
    };
    auto stoppingJobs = stopping(runner_, jobGrace);
    co_await runOn(device_, std::move(stoppingJobs));
    co_await connections_->apply(false);
    auto closing = [](std::shared_ptr<Clock> clock, Clock::Duration limit) -> boost::asio::awaitable<void> {
        co_await ClosingHandshakes::shared().finished(*clock, limit);
    };
    auto closingSockets = closing(services_->clock(), closeLimit);
    co_await runOn(device_, std::move(closingSockets));
}

boost::asio::awaitable<void> AppModel::sleep() {
    assertOnMainThread();
    isAsleep_ = true;
    co_await connections_->apply(!isPaused_ && !isAsleep_ && !isQuitting_);
    co_await cancelAllJobs();
}

boost::asio::awaitable<void> AppModel::wake() {
    assertOnMainThread();
    isAsleep_ = false;
    co_await applyConnectionWish();
    co_await refreshHarnesses();
    co_await refreshCommandLineLogins();
}

void AppModel::startUpdates(Hook terminate) {
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
    spawn("announce the hello when a place frees",
          follow(device_, runner_->roomEvents(),
                 [model = QPointer<AppModel>(this)](JobRunnerControl::Event) -> boost::asio::awaitable<void> {
                     if (model)
                         co_await model->announceHello();
                 }));
    spawn("follow the update progress",
          [](boost::asio::any_io_executor device, std::shared_ptr<UpdateCoordinator> updates,
             QPointer<AppModel> model, Hook end) -> boost::asio::awaitable<void> {
              auto onProgress = [model, end](UpdateProgress progress) -> boost::asio::awaitable<void> {
                  if (!model)
                      co_return;
                  switch (progress.kind) {
                  case UpdateProgress::Case::waitingForReview:
                      model->setPendingUpdateVersion(progress.version);
                      co_await model->announceHello();
                      break;
                  case UpdateProgress::Case::none:
                      model->setPendingUpdateVersion(std::nullopt);
                      co_await model->announceHello();
                      break;
                  case UpdateProgress::Case::installed:
                      end();
                      break;
                  }
              };
              auto following = follow(device, updates->progress(), std::move(onProgress));
              co_await std::move(following);
          }(device_, updates_, QPointer<AppModel>(this), std::move(terminate)));
}

} // namespace velto
