#include "VeltoDevice/Runner/RunnerScriptCommand.hpp"

#include "VeltoDevice/Support/PrivateTemporaryFolder.hpp"

namespace velto {

boost::asio::awaitable<ProcessOutput>
RunnerScriptCommand::run(ProcessRunning& runner, std::filesystem::path node, std::filesystem::path script,
                         std::vector<std::string> words, Environment environment,
                         std::chrono::seconds timeout) {
    std::vector<std::string> arguments{script.string()};
    arguments.insert(arguments.end(), words.begin(), words.end());
    std::optional<std::filesystem::path> folder = PrivateTemporaryFolder::path();
    Clock::Duration limit = timeout;
    co_return co_await runner.run(std::move(node), std::move(arguments), std::move(environment), limit,
                                  std::move(folder));
}

Environment RunnerScriptCommand::withPath(Environment environment, std::string path) {
    environment["PATH"] = std::move(path);
    return environment;
}

} // namespace velto
