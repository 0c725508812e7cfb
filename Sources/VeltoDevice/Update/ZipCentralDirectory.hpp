#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velto {

/// The entries of a zip archive as its central directory lists them, read without libarchive: its
/// zip reader reads a FIFO's entry as a regular file, so the type an entry claims is taken from here.
struct ZipCentralDirectory {
    struct Entry {
        /// The name's bytes as stored.
        std::string name;
        /// The Unix mode (type and permission bits) from the external attributes, for an entry made on
        /// Unix that records one; nothing otherwise.
        std::optional<std::uint32_t> unixMode;
    };

    /// The entries of the archive at `file`, in the directory's order. Throws UpdateRefusal unzipFailed
    /// when the file cannot be read, has no end record in its last 64 KiB, spans several disks, holds
    /// data between the directory and its end record (or before the directory for a self-extractor),
    /// lists more than `maximumEntries` entries, or the directory does not hold exactly the entries
    /// and bytes its end record counts.
    static std::vector<Entry> read(const std::filesystem::path& file, std::size_t maximumEntries);
};

} // namespace velto
