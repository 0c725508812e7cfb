#pragma once

#include "VeltoDevice/Support/StopFlag.hpp"

#include <cstddef>
#include <filesystem>
#include <string>

namespace velto {

/// The SHA-256 of a downloaded archive, and of each file a bundle manifest lists.
struct UpdateDigest {
    /// Bytes read at a time, so memory stays bounded by one chunk.
    static constexpr std::size_t chunkSize = 1024 * 1024;

    /// The lower-case hexadecimal SHA-256 of the file's content; throws std::system_error (the
    /// system's errno) when the file cannot be opened or read.
    static std::string sha256Hex(const std::filesystem::path& file);
    /// The same, looking at `stop` between chunks (StopFlag::throwIfRequested).
    static std::string sha256Hex(const std::filesystem::path& file, const StopFlag& stop);
};

} // namespace velto
