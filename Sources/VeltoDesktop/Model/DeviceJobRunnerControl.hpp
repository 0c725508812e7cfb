#pragma once

#include "VeltoDesktop/Model/JobRunnerControl.hpp"
#include "VeltoDevice/Runner/DeviceJobRunner.hpp"

#include <memory>

namespace velto {

/// The library's job runner as the model drives it. Lives on the device io_context.
class DeviceJobRunnerControl final : public JobRunnerControl {
public:
    explicit DeviceJobRunnerControl(std::shared_ptr<DeviceJobRunner> runner) : runner_(std::move(runner)) {}

    std::shared_ptr<JobRunning> jobs() override { return runner_; }
    std::shared_ptr<JobActivity> activity() override { return runner_; }
    boost::asio::awaitable<bool> isAvailable() override { return runner_->isAvailable(); }
    boost::asio::awaitable<int> generation() override { return runner_->generation(); }
    boost::asio::awaitable<void> cancelAll() override { return runner_->cancelAll(); }
    boost::asio::awaitable<void> stopAll(Clock::Duration grace) override { return runner_->stopAll(grace); }
    NewestStream<Event>& idleEvents() override { return runner_->idleEvents(); }
    NewestStream<Event>& roomEvents() override { return runner_->roomEvents(); }

private:
    std::shared_ptr<DeviceJobRunner> runner_;
};

} // namespace velto
