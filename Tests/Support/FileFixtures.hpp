#pragma once

#include <filesystem>
#include <fstream>
#include <string_view>
#include <unistd.h>

namespace velto::testing {

/// Writes a file, making its folders.
inline void writeFile(const std::filesystem::path& path, std::string_view contents) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
}

/// Cases that rely on a mode refusing access cannot run as root, who is refused nothing.
inline bool isRoot() {
    return ::geteuid() == 0;
}

} // namespace velto::testing
