#include "VeltoDevice/Runner/RunnerScriptCommand.hpp"

#include "VeltoDevice/Runner/RunnerLog.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"
#include "VeltoDevice/Support/PrivateTemporaryFolder.hpp"

#include <exception>
#include <sys/stat.h>

namespace velto {

boost::asio::awaitable<std::optional<ProcessOutput>>
RunnerScriptCommand::run(ProcessRunning& runner, std::filesystem::path node, std::filesystem::path script,
                         std::vector<std::string> words, Environment environment,
                         std::chrono::seconds timeout) {
    std::string command;
    std::vector<std::string> arguments{script.string()};
    for (const auto& word : words) {
        command += (command.empty() ? "" : " ") + word;
        arguments.push_back(word);
    }
    std::exception_ptr failure;
    try {
        std::optional<std::filesystem::path> folder = PrivateTemporaryFolder::path();
        Clock::Duration limit = timeout;
        co_return co_await runner.run(std::move(node), std::move(arguments), std::move(environment), limit,
                                      std::move(folder));
    } catch (...) {
        failure = std::current_exception();
    }
    if (isCancellation(failure))
        std::rethrow_exception(failure);
    runnerLog().error(command + " did not run: " + describe(failure));
    co_return std::nullopt;
}

bool RunnerScriptCommand::isPresent(const std::filesystem::path& script) {
    struct ::stat info {};
    return ::stat(script.c_str(), &info) == 0;
}

Environment RunnerScriptCommand::withPath(Environment environment, std::string path) {
    environment["PATH"] = std::move(path);
    return environment;
}

} // namespace velto
