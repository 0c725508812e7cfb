#pragma once

#include "VeltoDevice/Support/StopFlag.hpp"
#include "VeltoDevice/Update/BundleManifestEntry.hpp"

#include <cstddef>
#include <filesystem>
#include <map>
#include <string>

namespace velto {

/// What a bundle folder holds on disk, as a manifest would list it.
struct BundleContents {
    /// A walk gives up past this many entries.
    static constexpr std::size_t maximumEntries = 200'000;

    /// Every path under the bundle, found with lstat and following no link, by its "/"-separated
    /// relative path: files with their permission bits (sha256 left empty), links with their target,
    /// folders, and anything else as `other`. The signature folder, when it is a real folder, and its
    /// two files are left out. Throws std::runtime_error when a folder cannot be read or the walk
    /// passes `maximumEntries`; looks at `stop` between entries.
    static std::map<std::string, BundleManifestEntry> walk(const std::filesystem::path& bundle,
                                                           const StopFlag& stop);
};

} // namespace velto
