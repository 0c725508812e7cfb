#pragma once

#include "VeltoDevice/Agents/AgentIntegrationState.hpp"
#include "VeltoDevice/Agents/FolderDigest.hpp"

#include <filesystem>
#include <optional>
#include <string>

namespace velto {

/// Tells the application's own unchanged copy of a skill folder from one the user changed.
struct SkillFolder {
    /// Walks the folder without following any link (lstat) and hashes, in byte order of their relative
    /// paths, each regular file as its path, a zero byte and its contents (read in blocks), and each
    /// link as its path, a zero byte, "symlink", a zero byte and its target text. Folders add nothing, so
    /// an empty one changes no digest. Anything else in the folder (a FIFO, a socket, a device), an
    /// entry that cannot be read, or the folder itself being a link makes it `unreadable`; nothing is
    /// ever opened that could block.
    static FolderDigest digest(const std::filesystem::path& folder);

    /// missing installed folder: absent; unreadable installed folder, or one that is not the recorded
    /// copy: kept; no shipped digest: outdated; installed equal to shipped: current; else outdated.
    static AgentIntegrationState state(const FolderDigest& installed, const FolderDigest& shipped,
                                       const std::optional<std::string>& recorded);

    /// The state of a skill: the installed folder's digest, then the shipped one's, against the recorded.
    static AgentIntegrationState state(const std::filesystem::path& installed,
                                       const std::filesystem::path& shipped,
                                       const std::optional<std::string>& recorded);

    /// The digest of a folder just installed, to record. Throws FileError::write when it cannot be
    /// read back whole.
    static std::string installedDigest(const std::filesystem::path& installed);
};

} // namespace velto
