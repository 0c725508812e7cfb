#include "VeltoDevice/Agents/MuseSkill.hpp"

#include "VeltoDevice/Support/UserFolders.hpp"

namespace velto {

MuseSkill::MuseSkill(std::string name, std::filesystem::path shipped, std::filesystem::path installed,
                     std::shared_ptr<AgentCommandRunning> command,
                     std::shared_ptr<InstalledSkillRecords> records, boost::asio::thread_pool* blocking)
    : SkillIntegration({{HarnessKind::muse, std::move(name)},
                        std::move(shipped),
                        std::move(installed),
                        std::move(records),
                        blocking}),
      command_(std::move(command)) {}

std::filesystem::path MuseSkill::skills(const Environment& environment, const std::filesystem::path& home) {
    auto found = environment.find("XDG_CONFIG_HOME");
    auto configured = found == environment.end() ? std::nullopt : UserFolders::absolute(found->second);
    return configured.value_or(home / ".config") / "muse" / "skills";
}

boost::asio::awaitable<void> MuseSkill::install() {
    auto installing = command_->succeed(
        {"skills", "install", shipped().string(), "--scope", "user", "--name", name(), "--force", "--json"});
    co_await std::move(installing);
    co_await recorded().recordInstalled();
}

boost::asio::awaitable<void> MuseSkill::remove() {
    auto uninstalling = command_->succeed({"skills", "uninstall", name(), "--json"});
    co_await std::move(uninstalling);
    co_await recorded().forget();
}

} // namespace velto
