#include "VeltoDevice/Agents/CopiedSkill.hpp"

#include "VeltoDevice/Agents/BlockingWork.hpp"
#include "VeltoDevice/Support/FileError.hpp"
#include "VeltoDevice/Support/Files.hpp"

#include <cerrno>
#include <system_error>

namespace velto {

namespace fs = std::filesystem;

CopiedSkill::CopiedSkill(InstalledSkill skill, fs::path shipped, fs::path installed,
                         std::shared_ptr<InstalledSkillRecords> records, boost::asio::thread_pool* blocking)
    : SkillIntegration(
          {std::move(skill), std::move(shipped), std::move(installed), std::move(records), blocking}) {}

fs::path CopiedSkill::codexSkills(const Environment& environment, const fs::path& home) {
    auto found = environment.find("CODEX_HOME");
    if (found == environment.end() || found->second.empty())
        return home / ".codex" / "skills";
    std::error_code ignored;
    fs::path folder = fs::absolute(found->second, ignored);
    return (folder.empty() ? fs::path(found->second) : folder) / "skills";
}

boost::asio::awaitable<void> CopiedSkill::install() {
    co_await onPoolOrInPlace(recorded().blocking(), [this] {
        const auto& installed = recorded().installed();
        files::createFolders(installed.parent_path());
        std::error_code error;
        if (fs::symlink_status(installed, error).type() != fs::file_type::not_found) {
            fs::remove_all(installed, error);
            if (error)
                throw FileError::remove(installed.string(), error.message());
        }
        fs::copy(recorded().shipped(), installed,
                 fs::copy_options::recursive | fs::copy_options::copy_symlinks, error);
        if (error)
            throw FileError::write(installed.string(), error.message());
    });
    co_await recorded().recordInstalled();
}

boost::asio::awaitable<void> CopiedSkill::remove() {
    co_await onPoolOrInPlace(recorded().blocking(), [this] {
        const auto& installed = recorded().installed();
        std::error_code error;
        auto removed = fs::remove_all(installed, error);
        if (error)
            throw FileError::remove(installed.string(), error.message());
        if (removed == 0)
            throw FileError::remove(installed.string(), FileError::describe(ENOENT));
    });
    co_await recorded().forget();
}

} // namespace velto
