#include "VeltoDevice/Update/BundleManifestWriter.hpp"

#include "VeltoDevice/Support/Base64.hpp"
#include "VeltoDevice/Support/Files.hpp"
#include "VeltoDevice/Update/BundleContents.hpp"
#include "VeltoDevice/Update/UpdateDigest.hpp"

#include <stdexcept>

namespace velto {

BundleManifest BundleManifestWriter::describe(const std::filesystem::path& bundle) {
    BundleManifest manifest;
    manifest.entries = BundleContents::walk(bundle, StopFlag());
    for (auto& [path, entry] : manifest.entries) {
        if (entry.type == BundleManifestEntry::Type::other)
            throw std::runtime_error(path + " is neither a file, a link nor a folder");
        if (entry.type == BundleManifestEntry::Type::file)
            entry.sha256 = UpdateDigest::sha256Hex(bundle / path);
    }
    return manifest;
}

void BundleManifestWriter::write(const std::filesystem::path& bundle, const Ed25519PrivateKey& key) {
    auto manifest = describe(bundle);
    std::string bytes;
    try {
        bytes = manifest.encode();
    } catch (const std::exception&) {
        throw std::runtime_error("a path of the bundle is not UTF-8");
    }
    files::createFolders(bundle / BundleManifest::folderPath);
    files::writeAtomically(bundle / BundleManifest::manifestPath, bytes);
    files::writeAtomically(bundle / BundleManifest::signaturePath,
                           Base64::encode(key.sign(BundleManifest::signedMessage(bytes))));
}

} // namespace velto
