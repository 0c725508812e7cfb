#pragma once

#include <boost/asio/awaitable.hpp>

#include <functional>

namespace velto {

/// Runs passes one at a time and folds the requests made during a pass into one more pass. Lives on
/// the device io_context; its owner keeps it alive while a pass runs.
class CoalescedPass {
public:
    using Body = std::function<boost::asio::awaitable<void>()>;

    /// While a pass runs: asks for one more and returns at once. Otherwise runs `body`, and runs it
    /// again as long as passes were asked for meanwhile. A body that throws (or is cancelled) ends the
    /// run with that error and drops what was asked meanwhile, leaving the pass idle.
    boost::asio::awaitable<void> run(Body body);

    bool isRunning() const { return isRunning_; }
    bool isAskedAgain() const { return isAskedAgain_; }

private:
    bool isRunning_ = false;
    bool isAskedAgain_ = false;
};

} // namespace velto
