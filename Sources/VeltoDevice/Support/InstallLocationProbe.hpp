#pragma once

#include <filesystem>
#include <optional>

namespace velto {

/// What the file system says about a path, asked by InstallLocation; tests answer for it, since
/// access() always says writable to root.
class InstallLocationProbe {
public:
    virtual ~InstallLocationProbe() = default;

    /// Whether the volume holding the path is mounted read-only; nothing when that cannot be told.
    virtual std::optional<bool> isOnReadOnlyVolume(const std::filesystem::path& path) const = 0;
    /// Whether this process may write the path.
    virtual bool isWritable(const std::filesystem::path& path) const = 0;
};

} // namespace velto
