#include "VeltoDevice/Agents/MuseSkill.hpp"

#include "VeltoDevice/Agents/BlockingWork.hpp"
#include "VeltoDevice/Agents/SkillFolder.hpp"
#include "VeltoDevice/Support/UserFolders.hpp"

namespace velto {

MuseSkill::MuseSkill(std::string name, std::filesystem::path shipped, std::filesystem::path installed,
                     std::shared_ptr<AgentCommandRunning> command,
                     std::shared_ptr<InstalledSkillRecords> records, boost::asio::thread_pool* blocking)
    : name_(std::move(name)), shipped_(std::move(shipped)), installed_(std::move(installed)),
      command_(std::move(command)), records_(std::move(records)), blocking_(blocking) {}

std::filesystem::path MuseSkill::skills(const Environment& environment, const std::filesystem::path& home) {
    auto found = environment.find("XDG_CONFIG_HOME");
    auto configured = found == environment.end() ? std::nullopt : UserFolders::absolute(found->second);
    return configured.value_or(home / ".config") / "muse" / "skills";
}

boost::asio::awaitable<AgentIntegrationState> MuseSkill::state() {
    co_return co_await onPoolOrInPlace(
        blocking_, [this] { return SkillFolder::state(installed_, shipped_, records_->digest(skill())); });
}

boost::asio::awaitable<void> MuseSkill::install() {
    auto installing = command_->succeed(
        {"skills", "install", shipped_.string(), "--scope", "user", "--name", name_, "--force", "--json"});
    co_await std::move(installing);
    co_await onPoolOrInPlace(blocking_,
                             [this] { records_->record(SkillFolder::installedDigest(installed_), skill()); });
}

boost::asio::awaitable<void> MuseSkill::remove() {
    auto uninstalling = command_->succeed({"skills", "uninstall", name_, "--json"});
    co_await std::move(uninstalling);
    co_await onPoolOrInPlace(blocking_, [this] { records_->record(std::nullopt, skill()); });
}

} // namespace velto
