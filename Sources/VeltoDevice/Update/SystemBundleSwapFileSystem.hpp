#pragma once

#include "VeltoDevice/Update/BundleSwapFileSystem.hpp"

namespace velto {

/// mkdir, rename, renameat2(RENAME_EXCHANGE), a recursive copy and lstat.
class SystemBundleSwapFileSystem final : public BundleSwapFileSystem {
public:
    void makePrivateFolder(const std::filesystem::path& folder) override;
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void exchange(const std::filesystem::path& a, const std::filesystem::path& b) override;
    void copy(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void removeAll(const std::filesystem::path& path) override;
    bool exists(const std::filesystem::path& path) override;
};

} // namespace velto
