#pragma once

#include "VeltoDevice/Agents/AgentCommandRunning.hpp"
#include "VeltoDevice/Agents/AgentIntegration.hpp"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace velto {

/// The Claude Code plugin, installed with the tool's own plugin commands from the marketplace folder
/// the application ships.
class ClaudePlugin final : public AgentIntegration {
public:
    static constexpr std::string_view marketplaceName = "velto-for-mac";
    static constexpr std::string_view pluginId = "velto@velto-for-mac";

    ClaudePlugin(std::filesystem::path marketplace, std::shared_ptr<AgentCommandRunning> command);

    const std::filesystem::path& marketplace() const { return marketplace_; }
    /// The folder an installed plugin must be read from: "velto" inside the marketplace.
    std::filesystem::path pluginFolder() const { return marketplace_ / "velto"; }

    /// From "plugin list --json": absent without an entry of `pluginId` (the first one counts); kept
    /// when it is switched off; current when it is read from `pluginFolder()` (both normalised);
    /// outdated otherwise. Throws the command's error, or ClaudePluginListError for a list that is not
    /// a JSON array of entries with a text "id" and a boolean "enabled".
    boost::asio::awaitable<AgentIntegrationState> state() override;
    /// Uninstalls and forgets the marketplace (both failures ignored), adds the marketplace, installs.
    boost::asio::awaitable<void> install() override;
    /// Uninstalls, then forgets the marketplace (that failure ignored).
    boost::asio::awaitable<void> remove() override;

    /// The state a plugin list gives for a plugin folder; throws ClaudePluginListError.
    static AgentIntegrationState stateIn(std::string_view pluginList,
                                         const std::filesystem::path& pluginFolder);

private:
    boost::asio::awaitable<void> runIgnoringFailure(std::vector<std::string> arguments);

    std::filesystem::path marketplace_;
    std::shared_ptr<AgentCommandRunning> command_;
};

} // namespace velto
