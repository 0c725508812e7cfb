#pragma once

#include "VeltoDevice/Agents/SkillIntegration.hpp"
#include "VeltoDevice/Support/Environment.hpp"

#include <boost/asio/thread_pool.hpp>

#include <filesystem>
#include <memory>

namespace velto {

/// A shipped skill copied into a tool's skills folder (Codex reads it from there).
class CopiedSkill final : public SkillIntegration {
public:
    /// File work runs on the `blocking` pool, or in place without one; the pool outlives the add-on.
    CopiedSkill(InstalledSkill skill, std::filesystem::path shipped, std::filesystem::path installed,
                std::shared_ptr<InstalledSkillRecords> records, boost::asio::thread_pool* blocking = nullptr);

    /// $CODEX_HOME (an empty value counts as unset; a relative one is taken from the current folder),
    /// else ~/.codex; then "skills".
    static std::filesystem::path codexSkills(const Environment& environment,
                                             const std::filesystem::path& home);

    /// Makes the parent folder, removes whatever is at the installed path (links are not followed),
    /// copies the shipped folder (links as links) and records the copy's digest. Throws FileError;
    /// steps done before a failure stay done.
    boost::asio::awaitable<void> install() override;
    /// Removes the installed folder (a missing one is an error) and its record. Throws FileError.
    boost::asio::awaitable<void> remove() override;
};

} // namespace velto
