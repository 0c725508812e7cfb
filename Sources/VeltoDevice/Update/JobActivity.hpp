#pragma once

#include <boost/asio/awaitable.hpp>

namespace velto {

/// What the update coordinator asks of the job runner: whether it is idle, and to hold new jobs back
/// while an update waits to install.
class JobActivity {
public:
    virtual ~JobActivity() = default;

    /// True when no job runs and none is reserved.
    virtual boost::asio::awaitable<bool> isIdle() = 0;
    /// True holds new jobs back; false lets them in again.
    virtual boost::asio::awaitable<void> holdNewJobs(bool hold) = 0;
};

} // namespace velto
