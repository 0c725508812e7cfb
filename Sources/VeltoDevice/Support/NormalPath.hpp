#pragma once

#include <filesystem>

namespace velto {

/// The path with "." and ".." components resolved by their text alone (no link is followed) and no
/// trailing "/", so that two spellings of one place compare equal.
inline std::filesystem::path normalPath(const std::filesystem::path& path) {
    auto normal = path.lexically_normal();
    if (!normal.has_filename() && normal.has_relative_path())
        normal = normal.parent_path();
    return normal;
}

} // namespace velto
