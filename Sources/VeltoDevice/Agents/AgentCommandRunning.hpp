#pragma once

#include "VeltoDevice/Harness/ProcessOutput.hpp"

#include <boost/asio/awaitable.hpp>

#include <string>
#include <vector>

namespace velto {

/// Runs one harness tool's commands; the add-ons hold it so that tests can stand in for the tool.
class AgentCommandRunning {
public:
    virtual ~AgentCommandRunning() = default;

    /// The command's output whatever its exit status; throws when it cannot start or does not end in time.
    virtual boost::asio::awaitable<ProcessOutput> run(std::vector<std::string> arguments) = 0;

    /// `run`, and AgentIntegrationError::refused unless the exit status is 0 (see `refusal`).
    boost::asio::awaitable<ProcessOutput> succeed(std::vector<std::string> arguments);

    /// The text of a failed command: standard output, a line feed and standard error, trimmed of white
    /// space at both ends; when nothing is left, the arguments joined by spaces and " failed.".
    static std::string refusal(const ProcessOutput& output, const std::vector<std::string>& arguments);
};

} // namespace velto
