#include "VeltoDevice/Runner/RunnerGenerationCommand.hpp"

#include "VeltoDevice/Runner/RunnerLog.hpp"
#include "VeltoDevice/Runner/RunnerScriptCommand.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <limits>
#include <string>

namespace velto {

RunnerGenerationCommand::RunnerGenerationCommand(std::filesystem::path node, std::filesystem::path script,
                                                 Environment environment,
                                                 std::shared_ptr<ProcessRunning> runner)
    : node_(std::move(node)), script_(std::move(script)), environment_(std::move(environment)),
      runner_(std::move(runner)) {}

boost::asio::awaitable<std::optional<int>> RunnerGenerationCommand::fetch() const {
    std::vector<std::string> words{"device", "generation"};
    auto output =
        co_await RunnerScriptCommand::run(*runner_, node_, script_, std::move(words), environment_, timeout);
    if (!output)
        co_return std::nullopt;
    co_return generation(*output);
}

std::optional<int> RunnerGenerationCommand::generation(const ProcessOutput& output) {
    if (output.exitCode != 0) {
        runnerLog().info("the runner does not say its generation (exit " + std::to_string(output.exitCode) +
                         ")");
        return std::nullopt;
    }
    auto answer = parseJson(output.standardOutput);
    if (!answer)
        return std::nullopt;
    auto value = json::integer(*answer, "generation");
    // The hello carries an int; a generation beyond it is no answer either.
    if (!value || *value <= 0 || *value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(*value);
}

} // namespace velto
