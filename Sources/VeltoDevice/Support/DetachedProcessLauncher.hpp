#pragma once

#include "VeltoDevice/Support/DetachedLaunching.hpp"
#include "VeltoDevice/Support/Environment.hpp"

#include <boost/asio/any_io_executor.hpp>

namespace velto {

/// Starts detached programs with the spawn helper: a session of their own, every standard stream on
/// the null device, no other descriptor, `environment` as their whole environment; reaped in the
/// background if they end while the application still runs.
class DetachedProcessLauncher final : public DetachedLaunching {
public:
    DetachedProcessLauncher(boost::asio::any_io_executor executor, Environment environment);

    /// Throws std::system_error when the program cannot start.
    void start(const std::vector<std::string>& arguments) override;

private:
    boost::asio::any_io_executor executor_;
    Environment environment_;
};

} // namespace velto
