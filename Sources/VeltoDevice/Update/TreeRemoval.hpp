#pragma once

#include <filesystem>

namespace velto {

/// Removes what the update path leaves on disk (attempt folders, unpacked trees, the staging root,
/// the swap folder with the old bundle), whatever modes the archive gave its folders: each folder is
/// made readable, writable and searchable by its owner before it is emptied, since a folder at 0555
/// cannot be emptied by anyone but root. Links are removed, never followed: nothing outside the tree
/// is entered or changed.
struct TreeRemoval {
    /// Removes the file, link or folder at `path` with everything in it. Never fails: what cannot be
    /// removed (a missing path included) is left as it is.
    static void remove(const std::filesystem::path& path) noexcept;
};

} // namespace velto
