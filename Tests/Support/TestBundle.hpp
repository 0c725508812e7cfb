#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace velto::testing {

/// A small application bundle on disk, as an update archive holds one: Contents/Info.plist (XML),
/// the executable Contents/bin/<executable> (0755), Contents/Resources/readme.txt (0644) and the
/// link Contents/Resources/current -> readme.txt. Unsigned: tests sign it with BundleManifestWriter.
struct TestBundle {
    std::string identifier = "app.velto.desktop";
    std::string version = "1.3.0";
    std::string executable = "velto";
    /// The executable's content.
    std::string script = "#!/bin/sh\nexit 0\n";

    /// Writes the bundle at `bundle` (created with its parents) and returns the path.
    std::filesystem::path make(const std::filesystem::path& bundle) const;

    /// An XML property list of one dictionary of strings.
    static std::string infoPlist(const std::map<std::string, std::string>& values);
    /// Writes a file with the given mode, making its folder.
    static void writeFile(const std::filesystem::path& path, const std::string& content,
                          unsigned mode = 0644);
};

} // namespace velto::testing
