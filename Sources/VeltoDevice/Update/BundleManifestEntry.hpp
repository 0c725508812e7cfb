#pragma once

#include <string>

namespace velto {

/// One listed path of a bundle manifest.
struct BundleManifestEntry {
    /// `other` is what a walk finds that no manifest may list (a FIFO, a socket, a device node).
    enum class Type { file, link, folder, other };

    Type type = Type::file;
    /// A file's lower-case hexadecimal SHA-256.
    std::string sha256;
    /// A file's permission bits as three octal digits ("755").
    std::string mode;
    /// A link's target text.
    std::string target;

    friend bool operator==(const BundleManifestEntry&, const BundleManifestEntry&) = default;
};

} // namespace velto
