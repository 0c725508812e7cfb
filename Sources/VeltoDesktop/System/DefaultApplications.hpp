#pragma once

#include "VeltoDevice/Support/Environment.hpp"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velto {

/// The user's default applications as the mimeapps.list files name them (freedesktop.org MIME
/// Applications Associations 1.0.1), read from the folders an environment names. xdg-mime's own answer
/// is no guide to whether one is set: on a desktop it does not recognise, it falls back to any entry
/// whose MimeType line lists the type, ours included.
struct DefaultApplications {
    /// A mimeapps.list is read up to this size; a larger one names nothing.
    static constexpr std::size_t maximumFileSize = 1024 * 1024;

    /// The mimeapps.list files in the order they count: $XDG_CONFIG_HOME, each of $XDG_CONFIG_DIRS,
    /// $XDG_DATA_HOME/applications, each of $XDG_DATA_DIRS/applications (with their defaults when
    /// unset); in each folder first "<desktop>-mimeapps.list" for each of $XDG_CURRENT_DESKTOP
    /// (lowercased), then "mimeapps.list".
    static std::vector<std::filesystem::path> files(const Environment& environment);

    /// The folders that hold desktop entries: $XDG_DATA_HOME/applications, then each of
    /// $XDG_DATA_DIRS/applications.
    static std::vector<std::filesystem::path> applicationFolders(const Environment& environment);

    /// The desktop entry id that opens `mimeType` by default: the first id, in the files' order, of a
    /// "[Default Applications]" line for the type whose entry is installed in an application folder.
    /// Nothing when none is set.
    static std::optional<std::string> handler(std::string_view mimeType, const Environment& environment);
};

} // namespace velto
