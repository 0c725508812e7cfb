#pragma once

#include "VeltoDevice/Support/InstallLocationProbe.hpp"
#include "VeltoDevice/Support/InstallLocationProblem.hpp"

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

    /// Whether the copy at the path runs from a place of its own, asking the file system: no problem,
    /// or only `notWritable`. Such a copy may not replace itself, but may link its command and open at
    /// login.
    static bool isSettled(const std::filesystem::path& bundle);
};

} // namespace velto
