// Sleep and wake, quitting, and updates between jobs.
#include "VeltoDesktop/Model/AppModel.hpp"
#include "VeltoDesktop/Model/MainThread.hpp"
#include "VeltoDevice/Connection/ClosingHandshakes.hpp"
#include "VeltoDevice/Support/RunOn.hpp"

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
    co_await harnesses_->refresh();
    co_await commandLine_->refreshLogins();
}

void AppModel::startUpdates(Hook terminate) {
    assertOnMainThread();
    updates_->start(announcing(), std::move(terminate));
}

} // namespace velto
