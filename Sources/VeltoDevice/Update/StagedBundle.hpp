#pragma once

#include "VeltoDevice/Support/InfoDictionary.hpp"
#include "VeltoDevice/Update/AppVersion.hpp"

#include <filesystem>
#include <string_view>

namespace velto {

/// The checks on an unpacked update archive.
struct StagedBundle {
    /// The one folder among the direct entries whose name ends in exactly ".app" and that is a real
    /// folder, not a link; UpdateRefusal notOneApp for none or several.
    static std::filesystem::path onlyApp(const std::filesystem::path& folder);
    /// The bundle's Info.plist; empty when it cannot be read.
    static InfoDictionary infoDictionary(const std::filesystem::path& bundle);
    /// CFBundleIdentifier must be the text `bundleIdentifier` (else wrongBundleIdentifier), then
    /// CFBundleShortVersionString exactly the offered version's text (else wrongVersion).
    static void check(const std::filesystem::path& bundle, std::string_view bundleIdentifier,
                      const AppVersion& version);
};

} // namespace velto
