#pragma once

#include "VeltoDevice/Harness/ProcessOutput.hpp"
#include "VeltoDevice/Support/Clock.hpp"
#include "VeltoDevice/Support/Environment.hpp"

#include <boost/asio/awaitable.hpp>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velto {

/// Runs a short-lived command to its end. Arguments are taken by value: implementations are
/// coroutines that outlive their caller's temporaries.
class ProcessRunning {
public:
    virtual ~ProcessRunning() = default;

    /// Runs `executable` (an absolute path; no shell, no PATH search) with `arguments` after its
    /// name, exactly `environment`, the null device as input, and `currentDirectory` as its working
    /// folder (the application's own when absent). A non-zero status is returned, not thrown. Throws
    /// HarnessError::launchFailed when it cannot start and HarnessError::timedOut when it outlives
    /// `timeout`; cancelling the caller ends the run with operation_aborted.
    virtual boost::asio::awaitable<ProcessOutput>
    run(std::filesystem::path executable, std::vector<std::string> arguments, Environment environment,
        Clock::Duration timeout, std::optional<std::filesystem::path> currentDirectory) = 0;
};

} // namespace velto
