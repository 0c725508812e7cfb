#pragma once

#include <filesystem>

namespace velto {

/// The folder for files only this user may read (job documents, runner commands' working folder,
/// update scripts): $XDG_RUNTIME_DIR when it is set to an absolute path, else "velto-<uid>" under
/// /tmp, made when missing. Since /tmp is shared, the folder is checked at every call: a directory
/// (not a link to one), owned by this user, mode 0700.
class PrivateTemporaryFolder {
public:
    /// The checked folder; throws TemporaryFolderError when it is missing and cannot be made, or fails
    /// a check (another user's folder, a link, a folder others may enter).
    static std::filesystem::path path();

    /// Checks `folder` as `path()` does; throws TemporaryFolderError.
    static void check(const std::filesystem::path& folder);
};

} // namespace velto
