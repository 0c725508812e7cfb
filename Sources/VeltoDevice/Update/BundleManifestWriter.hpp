#pragma once

#include "VeltoDevice/Update/BundleManifest.hpp"
#include "VeltoDevice/Update/Ed25519PrivateKey.hpp"

#include <filesystem>

namespace velto {

/// Signs a bundle folder for packaging: lists what it holds and writes the manifest and its
/// signature into the bundle, replacing earlier ones.
struct BundleManifestWriter {
    /// The manifest of the folder as it is now. Throws std::runtime_error for what a manifest cannot
    /// list (a FIFO, a socket, a device node, a name that is not UTF-8) or a folder it cannot read.
    static BundleManifest describe(const std::filesystem::path& bundle);
    /// Writes `Contents/_CodeSignature/manifest.json` and `manifest.sig`; throws std::runtime_error.
    static void write(const std::filesystem::path& bundle, const Ed25519PrivateKey& key);
};

} // namespace velto
