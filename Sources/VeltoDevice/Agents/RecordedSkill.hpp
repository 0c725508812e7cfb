#pragma once

#include "VeltoDevice/Agents/AgentIntegrationState.hpp"
#include "VeltoDevice/Agents/InstalledSkill.hpp"
#include "VeltoDevice/Agents/InstalledSkillRecords.hpp"

#include <boost/asio/awaitable.hpp>
#include <boost/asio/thread_pool.hpp>

#include <filesystem>
#include <memory>

namespace velto {

/// What the add-ons that install a shipped skill folder share: the skill, its shipped and installed
/// folders, the record of the digest it was installed with, and the pool their file work runs on
/// (in place without one; the pool outlives the add-on).
class RecordedSkill {
public:
    RecordedSkill(InstalledSkill skill, std::filesystem::path shipped, std::filesystem::path installed,
                  std::shared_ptr<InstalledSkillRecords> records, boost::asio::thread_pool* blocking);

    const InstalledSkill& skill() const { return skill_; }
    const std::filesystem::path& shipped() const { return shipped_; }
    const std::filesystem::path& installed() const { return installed_; }
    boost::asio::thread_pool* blocking() const { return blocking_; }

    /// SkillFolder's rule over the installed folder, the shipped one and the recorded digest.
    boost::asio::awaitable<AgentIntegrationState> state() const;
    /// Records the digest of the installed folder as it is now. Throws FileError.
    boost::asio::awaitable<void> recordInstalled() const;
    /// Deletes the skill's record. Throws FileError.
    boost::asio::awaitable<void> forget() const;

private:
    InstalledSkill skill_;
    std::filesystem::path shipped_;
    std::filesystem::path installed_;
    std::shared_ptr<InstalledSkillRecords> records_;
    boost::asio::thread_pool* blocking_;
};

} // namespace velto
