#pragma once

#include "VeltoDevice/Update/AppVersion.hpp"

#include <filesystem>

namespace velto {

/// An unpacked, checked application bundle waiting in its attempt's folder.
struct StagedUpdate {
    /// The offered version.
    AppVersion version;
    /// The bundle inside the attempt's folder.
    std::filesystem::path appPath;
    /// The attempt's folder: removing it removes everything the attempt wrote.
    std::filesystem::path directory;

    friend bool operator==(const StagedUpdate& a, const StagedUpdate& b) {
        return a.version == b.version && a.version.text() == b.version.text() && a.appPath == b.appPath &&
               a.directory == b.directory;
    }
};

} // namespace velto
