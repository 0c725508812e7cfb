#pragma once

#include "VeltoDesktop/Model/JobRunnerControl.hpp"
#include "VeltoDevice/Support/NewestStream.hpp"

#include <memory>
#include <vector>

#include "RecordingJobRunner.hpp"

namespace velto::testing {

/// The runner control of the model's tests: availability and generation as set, cancelAll counted,
/// idle and room events pushed by the test; sessions get a recording runner. Device loop only.
class FakeJobRunner final : public JobRunnerControl,
                            public JobActivity,
                            public std::enable_shared_from_this<FakeJobRunner> {
public:
    bool available = true;
    int runnerGeneration = 1;
    int cancelAllCount = 0;
    /// The grace of every stopAll.
    std::vector<Clock::Duration> stopAllGraces;
    bool isIdleNow = true;
    std::shared_ptr<RecordingJobRunner> recording = std::make_shared<RecordingJobRunner>();
    NewestStream<Event> idle{1};
    NewestStream<Event> room{1};

    std::shared_ptr<JobRunning> jobs() override { return recording; }
    std::shared_ptr<JobActivity> activity() override { return shared_from_this(); }
    boost::asio::awaitable<bool> isAvailable() override { co_return available; }
    boost::asio::awaitable<int> generation() override { co_return runnerGeneration; }
    boost::asio::awaitable<void> cancelAll() override {
        ++cancelAllCount;
        co_await recording->cancelAll();
    }
    boost::asio::awaitable<void> stopAll(Clock::Duration grace) override {
        stopAllGraces.push_back(grace);
        co_await recording->cancelAll();
    }
    NewestStream<Event>& idleEvents() override { return idle; }
    NewestStream<Event>& roomEvents() override { return room; }
    boost::asio::awaitable<bool> isIdle() override { co_return isIdleNow; }
    boost::asio::awaitable<void> holdNewJobs(bool) override { co_return; }
};

} // namespace velto::testing
