#pragma once

#include "VeltoDevice/Connection/JobRunning.hpp"
#include "VeltoDevice/Support/Clock.hpp"
#include "VeltoDevice/Support/NewestStream.hpp"
#include "VeltoDevice/Update/JobActivity.hpp"

#include <boost/asio/awaitable.hpp>

#include <memory>
#include <variant>

namespace velto {

/// The job runner as the application model drives it, beside what every session asks of it
/// (`jobs()`) and what the update coordinator asks (`activity()`). Lives on the device io_context;
/// the model reaches it through the device executor.
class JobRunnerControl {
public:
    using Event = std::monostate;

    virtual ~JobRunnerControl() = default;

    virtual std::shared_ptr<JobRunning> jobs() = 0;
    virtual std::shared_ptr<JobActivity> activity() = 0;

    /// True when the runner script exists and `node` is on the login PATH.
    virtual boost::asio::awaitable<bool> isAvailable() = 0;
    /// The runner script's generation, 1 when it is unavailable or does not say.
    virtual boost::asio::awaitable<int> generation() = 0;
    /// Terminates every running job; each then ends through the runner's own path.
    virtual boost::asio::awaitable<void> cancelAll() = 0;
    /// The application quits: terminates every running job and waits at most `grace` for each to
    /// settle, then kills what is left; no job starts any more.
    virtual boost::asio::awaitable<void> stopAll(Clock::Duration grace) = 0;

    /// An event each time no job runs and none is reserved; keeps only the newest.
    virtual NewestStream<Event>& idleEvents() = 0;
    /// An event each time a place may have become free; keeps only the newest.
    virtual NewestStream<Event>& roomEvents() = 0;
};

} // namespace velto
