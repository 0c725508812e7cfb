#pragma once

#include <string>

namespace velto {

/// What digesting a skill folder found.
struct FolderDigest {
    enum class Case {
        /// Nothing at the path.
        missing,
        /// Something is there that cannot be digested whole: not a folder, a link, a folder that cannot
        /// be listed, or one holding an entry that cannot be read (a FIFO or device included).
        unreadable,
        /// The SHA-256 of the folder's files and links, as 64 lower-case hexadecimal digits.
        digest,
    };

    Case kind = Case::missing;
    std::string hex;

    static FolderDigest missing() { return {Case::missing, {}}; }
    static FolderDigest unreadable() { return {Case::unreadable, {}}; }
    static FolderDigest of(std::string hex) { return {Case::digest, std::move(hex)}; }

    friend bool operator==(const FolderDigest&, const FolderDigest&) = default;
};

} // namespace velto
