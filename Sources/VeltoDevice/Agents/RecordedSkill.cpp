#include "VeltoDevice/Agents/RecordedSkill.hpp"

#include "VeltoDevice/Agents/BlockingWork.hpp"
#include "VeltoDevice/Agents/SkillFolder.hpp"

namespace velto {

RecordedSkill::RecordedSkill(InstalledSkill skill, std::filesystem::path shipped,
                             std::filesystem::path installed, std::shared_ptr<InstalledSkillRecords> records,
                             boost::asio::thread_pool* blocking)
    : skill_(std::move(skill)), shipped_(std::move(shipped)), installed_(std::move(installed)),
      records_(std::move(records)), blocking_(blocking) {}

boost::asio::awaitable<AgentIntegrationState> RecordedSkill::state() const {
    co_return co_await onPoolOrInPlace(
        blocking_, [this] { return SkillFolder::state(installed_, shipped_, records_->digest(skill_)); });
}

boost::asio::awaitable<void> RecordedSkill::recordInstalled() const {
    co_await onPoolOrInPlace(blocking_,
                             [this] { records_->record(SkillFolder::installedDigest(installed_), skill_); });
}

boost::asio::awaitable<void> RecordedSkill::forget() const {
    co_await onPoolOrInPlace(blocking_, [this] { records_->record(std::nullopt, skill_); });
}

} // namespace velto
