#pragma once

#include "VeltoDevice/Harness/ProcessOutput.hpp"
#include "VeltoDevice/Harness/ProcessRunning.hpp"
#include "VeltoDevice/Support/Environment.hpp"

#include <boost/asio/awaitable.hpp>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velto {

/// The form every runner-script command line shares: Node.js runs the script's path followed by the
/// command's words, with the caller's environment (the callers put the login PATH in it), in the
/// private temporary folder.
struct RunnerScriptCommand {
    /// Runs `node <script> <words...>` to its end: its output, or nothing when it could not start,
    /// hung or the private temporary folder cannot be used, logged at error level in the category
    /// "runner" as "<words> did not run: " and the reason. Cancellation stays cancellation.
    static boost::asio::awaitable<std::optional<ProcessOutput>>
    run(ProcessRunning& runner, std::filesystem::path node, std::filesystem::path script,
        std::vector<std::string> words, Environment environment, std::chrono::seconds timeout);

    /// Whether anything is at the script's path, links followed (only that: whether it can be read is
    /// for Node.js to find out).
    static bool isPresent(const std::filesystem::path& script);

    /// The environment with "PATH" set to `path`, replacing a PATH it had.
    static Environment withPath(Environment environment, std::string path);
};

} // namespace velto
