#pragma once

#include "VeltoDevice/Update/InstallLocationProbe.hpp"
#include "VeltoDevice/Update/InstallLocationProblem.hpp"

#include <filesystem>
#include <optional>

namespace velto {

/// Whether the bundle at a path can be replaced in place.
struct InstallLocation {
    /// The first problem, in this order: the path's extension is not exactly ".app"; it runs through
    /// "/AppTranslocation/"; its volume is read-only (passed over when that cannot be told); its folder,
    /// then the bundle itself, is not writable. Nothing when the copy can replace itself.
    static std::optional<InstallLocationProblem> problem(const std::filesystem::path& bundle,
                                                         const InstallLocationProbe& probe);
    /// The same, asking the file system.
    static std::optional<InstallLocationProblem> problem(const std::filesystem::path& bundle);
};

} // namespace velto
