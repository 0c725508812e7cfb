#pragma once

#include "VeltoDevice/Agents/AgentCommandRunning.hpp"
#include "VeltoDevice/Harness/ProcessRunning.hpp"
#include "VeltoDevice/Support/Clock.hpp"
#include "VeltoDevice/Support/Environment.hpp"

#include <chrono>
#include <filesystem>
#include <memory>

namespace velto {

/// A harness tool's commands through the process runner: the tool found on the login PATH, the
/// pass's environment, no working folder, 60 s per command.
class AgentCommand final : public AgentCommandRunning {
public:
    static constexpr Clock::Duration timeout = std::chrono::seconds(60);

    AgentCommand(std::shared_ptr<ProcessRunning> runner, std::filesystem::path executable,
                 Environment environment)
        : runner_(std::move(runner)), executable_(std::move(executable)),
          environment_(std::move(environment)) {}

    const std::filesystem::path& executable() const { return executable_; }
    const Environment& environment() const { return environment_; }

    /// The output whatever the exit status; throws HarnessError when the tool cannot start or outlives
    /// the time-out.
    boost::asio::awaitable<ProcessOutput> run(std::vector<std::string> arguments) override;

private:
    std::shared_ptr<ProcessRunning> runner_;
    std::filesystem::path executable_;
    Environment environment_;
};

} // namespace velto
