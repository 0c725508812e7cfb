#pragma once

#include "VeltoDevice/Agents/AgentCommandRunning.hpp"
#include "VeltoDevice/Agents/InstalledSkillRecords.hpp"
#include "VeltoDevice/Harness/ProcessRunning.hpp"
#include "VeltoDevice/Support/Environment.hpp"

#include <boost/asio/thread_pool.hpp>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace velto {

/// What one add-on pass works with.
struct AgentDependencies {
    /// The bundle's add-on folder: "claude" (the plugin marketplace) and "skills" (one folder per skill).
    std::filesystem::path resources;
    /// The environment the tools run with; its "CODEX_HOME" and "XDG_CONFIG_HOME" place the skill folders.
    Environment environment;
    std::filesystem::path home;
    std::shared_ptr<InstalledSkillRecords> records;
    /// The pool file work (digests, copies, record writes) runs on; in place without one. Not owned.
    boost::asio::thread_pool* blocking = nullptr;
    /// Runs the tools' commands (Claude Code's and Muse's; Codex is never run).
    std::shared_ptr<ProcessRunning> runner;

    /// The entries of "skills" whose names do not begin with ".", ascending; none when it cannot be listed.
    std::vector<std::string> shippedSkills() const;
    /// The commands of the tool at the path, with `environment`, through `runner`.
    std::shared_ptr<AgentCommandRunning> command(const std::filesystem::path& executable) const;
};

} // namespace velto
