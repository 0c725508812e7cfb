#include "VeltoDevice/Runner/ModelCatalogCommand.hpp"

#include "VeltoDevice/Harness/LoginShellPath.hpp"
#include "VeltoDevice/Runner/RunnerLog.hpp"
#include "VeltoDevice/Runner/RunnerScriptCommand.hpp"
#include "VeltoDevice/Runner/TextLines.hpp"

#include <string>

namespace velto {

ModelCatalogCommand::ModelCatalogCommand(std::optional<std::filesystem::path> runnerScript,
                                         Environment environment,
                                         std::shared_ptr<LoginPathResolving> pathResolver,
                                         std::shared_ptr<ProcessRunning> runner)
    : runnerScript_(std::move(runnerScript)), environment_(std::move(environment)),
      pathResolver_(std::move(pathResolver)), runner_(std::move(runner)) {}

boost::asio::awaitable<std::optional<ModelCatalog>> ModelCatalogCommand::fetch() const {
    if (!runnerScript_ || !RunnerScriptCommand::isPresent(*runnerScript_))
        co_return std::nullopt;
    auto path = co_await pathResolver_->resolve(environment_);
    auto node = LoginShellPath::locate("node", path);
    if (!node)
        co_return std::nullopt;

    auto environment = RunnerScriptCommand::withPath(environment_, path);
    std::vector<std::string> words{"device", "models"};
    auto output = co_await RunnerScriptCommand::run(*runner_, *node, *runnerScript_, std::move(words),
                                                    std::move(environment), timeout);
    if (!output)
        co_return std::nullopt;
    co_return catalog(*output);
}

std::optional<ModelCatalog> ModelCatalogCommand::catalog(const ProcessOutput& output) {
    for (auto line : nonEmptyLines(output.standardError))
        runnerLog().info("device models: " + std::string(line));
    if (output.exitCode != 0) {
        runnerLog().error("device models exited " + std::to_string(output.exitCode));
        return std::nullopt;
    }
    auto catalog = ModelCatalog::parse(output.standardOutput);
    if (!catalog)
        runnerLog().error("device models printed no catalog");
    return catalog;
}

} // namespace velto
