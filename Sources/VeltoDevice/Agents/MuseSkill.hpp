#pragma once

#include "VeltoDevice/Agents/AgentCommandRunning.hpp"
#include "VeltoDevice/Agents/SkillIntegration.hpp"
#include "VeltoDevice/Support/Environment.hpp"

#include <boost/asio/thread_pool.hpp>

#include <filesystem>
#include <memory>
#include <string>

namespace velto {

/// A shipped skill installed through the Muse tool's own skill commands.
class MuseSkill final : public SkillIntegration {
public:
    /// File work runs on the `blocking` pool, or in place without one; the pool outlives the add-on.
    MuseSkill(std::string name, std::filesystem::path shipped, std::filesystem::path installed,
              std::shared_ptr<AgentCommandRunning> command, std::shared_ptr<InstalledSkillRecords> records,
              boost::asio::thread_pool* blocking = nullptr);

    /// $XDG_CONFIG_HOME (only an absolute value counts), else ~/.config; then "muse/skills".
    static std::filesystem::path skills(const Environment& environment, const std::filesystem::path& home);

    const std::string& name() const { return skill().name; }

    /// "skills install <shipped> --scope user --name <name> --force --json", then records the
    /// installed folder's digest. A failed command records nothing.
    boost::asio::awaitable<void> install() override;
    /// "skills uninstall <name> --json", then deletes the record.
    boost::asio::awaitable<void> remove() override;

private:
    std::shared_ptr<AgentCommandRunning> command_;
};

} // namespace velto
