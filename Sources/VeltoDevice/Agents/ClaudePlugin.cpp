#include "VeltoDevice/Agents/ClaudePlugin.hpp"

#include "VeltoDevice/Agents/ClaudePluginListError.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"
#include "VeltoDevice/Support/Json.hpp"
#include "VeltoDevice/Support/NormalPath.hpp"

#include <exception>

namespace velto {

namespace {

/// One entry of the tool's plugin list, as far as it is read.
struct ListedPlugin {
    std::string id;
    bool enabled = false;
    std::optional<std::string> readFromFolder;

    static std::optional<ListedPlugin> decode(const Json& value) {
        auto id = json::string(value, "id");
        auto enabled = json::boolean(value, "enabled");
        if (!id || !enabled)
            return std::nullopt;
        ListedPlugin plugin{std::move(*id), *enabled, json::string(value, "readFromFolder")};
        // Absent and null both mean no folder; any other type makes the entry unreadable.
        if (!plugin.readFromFolder && json::has(value, "readFromFolder") &&
            !json::isNull(value, "readFromFolder"))
            return std::nullopt;
        return plugin;
    }
};

std::vector<std::string> uninstallArguments() {
    return {"plugin", "uninstall", std::string(ClaudePlugin::pluginId)};
}

std::vector<std::string> forgetMarketplaceArguments() {
    return {"plugin", "marketplace", "remove", std::string(ClaudePlugin::marketplaceName)};
}

} // namespace

ClaudePlugin::ClaudePlugin(std::filesystem::path marketplace, std::shared_ptr<AgentCommandRunning> command)
    : marketplace_(std::move(marketplace)), command_(std::move(command)) {}

AgentIntegrationState ClaudePlugin::stateIn(std::string_view pluginList,
                                            const std::filesystem::path& pluginFolder) {
    auto value = parseJson(pluginList);
    if (!value || !value->is_array())
        throw ClaudePluginListError();
    std::optional<ListedPlugin> ours;
    for (const auto& element : *value) {
        auto plugin = ListedPlugin::decode(element);
        if (!plugin)
            throw ClaudePluginListError();
        if (!ours && plugin->id == pluginId)
            ours = std::move(plugin);
    }
    if (!ours)
        return AgentIntegrationState::absent;
    if (!ours->enabled)
        return AgentIntegrationState::kept;
    if (!ours->readFromFolder)
        return AgentIntegrationState::outdated;
    std::filesystem::path folder(*ours->readFromFolder);
    if (!folder.is_absolute())
        return AgentIntegrationState::outdated;
    return normalPath(folder) == normalPath(pluginFolder) ? AgentIntegrationState::current
                                                          : AgentIntegrationState::outdated;
}

boost::asio::awaitable<AgentIntegrationState> ClaudePlugin::state() {
    auto listing = command_->succeed({"plugin", "list", "--json"});
    ProcessOutput output = co_await std::move(listing);
    co_return stateIn(output.standardOutput, pluginFolder());
}

boost::asio::awaitable<void> ClaudePlugin::runIgnoringFailure(std::vector<std::string> arguments) {
    std::exception_ptr failure;
    try {
        auto running = command_->run(std::move(arguments));
        co_await std::move(running);
    } catch (...) {
        failure = std::current_exception();
    }
    // The way is being cleared: a failure is expected and harmless, but a cancellation still stops.
    if (failure && isCancellation(failure))
        std::rethrow_exception(failure);
}

boost::asio::awaitable<void> ClaudePlugin::install() {
    co_await runIgnoringFailure(uninstallArguments());
    co_await runIgnoringFailure(forgetMarketplaceArguments());
    auto adding = command_->succeed({"plugin", "marketplace", "add", marketplace_.string()});
    co_await std::move(adding);
    auto installing = command_->succeed({"plugin", "install", std::string(pluginId), "--scope", "user"});
    co_await std::move(installing);
}

boost::asio::awaitable<void> ClaudePlugin::remove() {
    auto uninstalling = command_->succeed(uninstallArguments());
    co_await std::move(uninstalling);
    co_await runIgnoringFailure(forgetMarketplaceArguments());
}

} // namespace velto
