#pragma once

#include "VeltoDevice/Support/StopFlag.hpp"

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace velto {

/// Unpacks an update archive (zip only) with libarchive, taking nothing its secure flags would let
/// through that a bundle has no use for: only files, folders and links, by the types the central
/// directory records (checked for every entry before anything is written); every path plain and
/// relative, none twice, none below a link or a file; link targets relative and, resolved through
/// the other links, inside the folder; modes those of the archive masked with 0755 (no setuid, no
/// group or other write), folders the archive only implies 0755; no owners, no extended attributes.
struct ZipUnpacker {
    struct Limits {
        std::size_t entries = 100'000;
        /// The bytes written for all files together.
        std::uint64_t bytes = std::uint64_t{4} * 1024 * 1024 * 1024;
    };

    /// Unpacks `archive` into the new folder `folder` (its parent must exist). Throws UpdateRefusal
    /// unzipFailed for an archive it refuses or cannot read, and Asio's operation_aborted once `stop`
    /// is requested (looked at between entries and between blocks). What it wrote stays for the
    /// caller to remove.
    static void unpack(const std::filesystem::path& archive, const std::filesystem::path& folder,
                       const StopFlag& stop, Limits limits);
    static void unpack(const std::filesystem::path& archive, const std::filesystem::path& folder,
                       const StopFlag& stop) {
        unpack(archive, folder, stop, Limits{});
    }
};

} // namespace velto
