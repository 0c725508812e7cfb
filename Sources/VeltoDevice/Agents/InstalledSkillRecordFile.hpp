#pragma once

#include "VeltoDevice/Agents/InstalledSkillRecords.hpp"

#include <cstddef>
#include <filesystem>
#include <map>

namespace velto {

/// The record as the file "agent-skills.json": one flat JSON object from record keys to digests.
/// Every operation reads the file afresh; a missing, unreadable or oversized file, or one that is not
/// such an object, counts as an empty record, and the next write replaces it.
class InstalledSkillRecordFile final : public InstalledSkillRecords {
public:
    explicit InstalledSkillRecordFile(std::filesystem::path file) : file_(std::move(file)) {}

    /// "agent-skills.json" beside the enrollments. Throws FileError.
    static InstalledSkillRecordFile applicationSupport();

    /// The record is a few entries; a larger file is not read.
    static constexpr std::size_t maximumFileSize = 1024 * 1024;

    const std::filesystem::path& file() const { return file_; }

    std::optional<std::string> digest(const InstalledSkill& skill) const override;
    /// Writes the whole object compactly and atomically, creating the folder. Throws FileError.
    void record(const std::optional<std::string>& digest, const InstalledSkill& skill) override;
    std::vector<std::string> names(HarnessKind agent) const override;

private:
    std::map<std::string, std::string> entries() const;

    std::filesystem::path file_;
};

} // namespace velto
