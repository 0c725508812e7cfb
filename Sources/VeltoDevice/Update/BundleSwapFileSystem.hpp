#pragma once

#include <filesystem>

namespace velto {

/// The file operations of a bundle swap, each one step that either happens or throws
/// std::system_error with the system's errno; tests make any of them fail.
class BundleSwapFileSystem {
public:
    virtual ~BundleSwapFileSystem() = default;

    /// A new folder with mode 0700.
    virtual void makePrivateFolder(const std::filesystem::path& folder) = 0;
    virtual void rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    /// Swaps the two paths in one step (EINVAL where the file system cannot).
    virtual void exchange(const std::filesystem::path& a, const std::filesystem::path& b) = 0;
    /// Copies a tree, keeping modes and links as they are.
    virtual void copy(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    /// Removes a tree; never fails.
    virtual void removeAll(const std::filesystem::path& path) = 0;
    /// Whether anything (a dangling link included) is at the path.
    virtual bool exists(const std::filesystem::path& path) = 0;
};

} // namespace velto
