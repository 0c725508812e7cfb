#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velto {

/// Paths inside an unpacked archive or a bundle: relative, "/"-separated, and never leading out.
struct BundlePath {
    /// The parts of a relative path that has no empty, "." or ".." part (so no leading or doubled
    /// "/"); nothing, as an empty list, for any other text.
    static std::vector<std::string> parts(std::string_view path);

    /// Whether the link at `link` (a plain relative path under `root`) has a relative target that,
    /// resolved part by part through the links it meets on disk, never rises above `root`. Parts that
    /// do not exist are taken as folders to be; more than 40 links on the way count as leading out.
    static bool linkStaysInside(const std::filesystem::path& root, std::string_view link);
};

} // namespace velto
