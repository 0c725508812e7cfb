#pragma once

#include "VeltoDesktop/JobRunnerControl.hpp"
#include "VeltoDevice/Support/NewestStream.hpp"

#include <memory>

namespace velto {

/// The job runner of a build without one: never available, so every offer is declined
/// "runner-unavailable" and the hello offers no capacity; always idle, so updates install at once.
/// Lives on the device io_context.
class UnavailableJobRunner final : public JobRunnerControl,
                                   public JobRunning,
                                   public JobActivity,
                                   public std::enable_shared_from_this<UnavailableJobRunner> {
public:
    std::shared_ptr<JobRunning> jobs() override { return shared_from_this(); }
    std::shared_ptr<JobActivity> activity() override { return shared_from_this(); }

    boost::asio::awaitable<bool> isAvailable() override { co_return false; }
    boost::asio::awaitable<int> generation() override { co_return 1; }
    boost::asio::awaitable<void> cancelAll() override { co_return; }
    boost::asio::awaitable<bool> nextIdleEvent() override {
        auto event = co_await idle_.next();
        co_return event.has_value();
    }
    boost::asio::awaitable<bool> nextRoomEvent() override {
        auto event = co_await room_.next();
        co_return event.has_value();
    }

    boost::asio::awaitable<std::optional<JobDeclineReason>> reserve(ServerMessage::JobOffer) override {
        co_return JobDeclineReason::runnerUnavailable;
    }
    boost::asio::awaitable<void> release(std::string) override { co_return; }
    boost::asio::awaitable<void> start(std::string, Bytes, Send) override { co_return; }
    boost::asio::awaitable<void> deliver(std::string, std::string) override { co_return; }
    boost::asio::awaitable<void> cancel(std::string) override { co_return; }

    boost::asio::awaitable<bool> isIdle() override { co_return true; }
    boost::asio::awaitable<void> holdNewJobs(bool) override { co_return; }

private:
    NewestStream<bool> idle_{1};
    NewestStream<bool> room_{1};
};

} // namespace velto
