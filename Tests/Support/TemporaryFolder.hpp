#pragma once

#include <filesystem>

namespace velto::testing {

/// A new, empty folder under the system's temporary folder, removed with all it holds on destruction.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();

    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace velto::testing
