#pragma once

#include "VeltoDevice/Harness/HarnessError.hpp"
#include "VeltoDevice/Harness/ProcessRunning.hpp"

#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velto::testing {

/// A process runner that records each run and answers from `answers` in order, then with `output`;
/// with neither, the run times out. Header-only: only programs that link the harness area use it.
class RecordingProcessRunner final : public ProcessRunning {
public:
    struct Run {
        std::filesystem::path executable;
        std::vector<std::string> arguments;
        Environment environment;
        Clock::Duration timeout{};
        std::optional<std::filesystem::path> currentDirectory;
    };

    std::deque<ProcessOutput> answers;
    std::optional<ProcessOutput> output;
    std::vector<Run> runs;

    boost::asio::awaitable<ProcessOutput>
    run(std::filesystem::path executable, std::vector<std::string> arguments, Environment environment,
        Clock::Duration timeout, std::optional<std::filesystem::path> currentDirectory) override {
        runs.push_back(
            {executable, std::move(arguments), std::move(environment), timeout, std::move(currentDirectory)});
        if (!answers.empty()) {
            ProcessOutput next = std::move(answers.front());
            answers.pop_front();
            co_return next;
        }
        if (!output)
            throw HarnessError::timedOut(executable.filename().string());
        co_return *output;
    }
};

} // namespace velto::testing
