#include "VeltoDevice/Agents/CopiedSkill.hpp"

#include "VeltoDevice/Agents/BlockingWork.hpp"
#include "VeltoDevice/Agents/SkillFolder.hpp"
#include "VeltoDevice/Enrollment/FileError.hpp"
#include "VeltoDevice/Enrollment/Files.hpp"

#include <cerrno>
#include <system_error>

namespace velto {

namespace fs = std::filesystem;

CopiedSkill::CopiedSkill(InstalledSkill skill, fs::path shipped, fs::path installed,
                         std::shared_ptr<InstalledSkillRecords> records, boost::asio::thread_pool* blocking)
    : skill_(std::move(skill)), shipped_(std::move(shipped)), installed_(std::move(installed)),
      records_(std::move(records)), blocking_(blocking) {}

fs::path CopiedSkill::codexSkills(const Environment& environment, const fs::path& home) {
    auto found = environment.find("CODEX_HOME");
    if (found == environment.end() || found->second.empty())
        return home / ".codex" / "skills";
    std::error_code ignored;
    fs::path folder = fs::absolute(found->second, ignored);
    return (folder.empty() ? fs::path(found->second) : folder) / "skills";
}

boost::asio::awaitable<AgentIntegrationState> CopiedSkill::state() {
    co_return co_await onPoolOrInPlace(
        blocking_, [this] { return SkillFolder::state(installed_, shipped_, records_->digest(skill_)); });
}

boost::asio::awaitable<void> CopiedSkill::install() {
    co_await onPoolOrInPlace(blocking_, [this] {
        files::createFolders(installed_.parent_path());
        std::error_code error;
        if (fs::symlink_status(installed_, error).type() != fs::file_type::not_found) {
            fs::remove_all(installed_, error);
            if (error)
                throw FileError::remove(installed_.string(), error.message());
        }
        fs::copy(shipped_, installed_, fs::copy_options::recursive | fs::copy_options::copy_symlinks, error);
        if (error)
            throw FileError::write(installed_.string(), error.message());
        records_->record(SkillFolder::installedDigest(installed_), skill_);
    });
}

boost::asio::awaitable<void> CopiedSkill::remove() {
    co_await onPoolOrInPlace(blocking_, [this] {
        std::error_code error;
        auto removed = fs::remove_all(installed_, error);
        if (error)
            throw FileError::remove(installed_.string(), error.message());
        if (removed == 0)
            throw FileError::remove(installed_.string(), FileError::describe(ENOENT));
        records_->record(std::nullopt, skill_);
    });
}

} // namespace velto
