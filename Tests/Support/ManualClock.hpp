#pragma once

#include "VeltoDevice/Support/Clock.hpp"

#include <boost/asio/steady_timer.hpp>

#include <list>
#include <memory>
#include <vector>

namespace velto::testing {

/// A clock that only moves when a test advances it. Sleepers wake when their deadline is reached;
/// cancelling a sleeper ends it with operation_aborted. Use from the test's io_context thread.
class ManualClock final : public Clock {
public:
    Instant now() const override { return now_; }
    boost::asio::awaitable<void> sleep(Duration duration) override;
    boost::asio::awaitable<bool> sleepUnlessCancelled(Duration duration) override;

    /// Moves time forward and wakes every sleeper whose deadline has come (drain the loop after).
    void advance(Duration duration);

    std::size_t sleeperCount() const { return sleepers_.size(); }
    /// Every duration asked of `sleep`, in order.
    const std::vector<Duration>& requestedSleeps() const { return requested_; }

private:
    struct Sleeper {
        explicit Sleeper(const boost::asio::any_io_executor& executor) : timer(executor) {}
        boost::asio::steady_timer timer;
        Instant deadline{};
        bool fired = false;
    };

    Instant now_{};
    std::list<std::shared_ptr<Sleeper>> sleepers_;
    std::vector<Duration> requested_;
};

} // namespace velto::testing
