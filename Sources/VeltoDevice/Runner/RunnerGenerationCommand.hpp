#pragma once

#include "VeltoDevice/Harness/ProcessOutput.hpp"
#include "VeltoDevice/Harness/ProcessRunning.hpp"
#include "VeltoDevice/Support/Environment.hpp"

#include <boost/asio/awaitable.hpp>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>

namespace velto {

/// One `node <script> device generation` query: the runner script's generation number, which the
/// hello carries. Log lines go to the category "runner".
class RunnerGenerationCommand {
public:
    static constexpr std::chrono::seconds timeout{10};

    /// `environment` is passed to the child unchanged.
    RunnerGenerationCommand(std::filesystem::path node, std::filesystem::path script, Environment environment,
                            std::shared_ptr<ProcessRunning> runner);

    /// The generation, or nothing (the caller falls back to 1). Never fails: a run that cannot start
    /// or hangs logs "device generation did not run: " and the reason.
    boost::asio::awaitable<std::optional<int>> fetch() const;

    /// Status 0 and a standard output that is exactly one JSON object whose "generation" is an
    /// integer above 0 (and within an int): that integer. A non-zero status logs "the runner does not say its
    /// generation (exit N)"; any other answer gives nothing silently.
    static std::optional<int> generation(const ProcessOutput& output);

private:
    std::filesystem::path node_;
    std::filesystem::path script_;
    Environment environment_;
    std::shared_ptr<ProcessRunning> runner_;
};

} // namespace velto
