#pragma once

#include "VeltoDevice/Update/BundleManifestWriter.hpp"
#include "VeltoDevice/Update/Ed25519PrivateKey.hpp"
#include "VeltoDevice/Update/UpdateDigest.hpp"

#include <filesystem>
#include <string>

#include "TemporaryFolder.hpp"
#include "TestBundle.hpp"
#include "ZipWriter.hpp"

namespace velto::testing {

/// An update archive as a release would ship it: a TestBundle signed with `key`, zipped under
/// `appName` at the archive's top. Needs the Update library.
struct UpdateArchive {
    TestBundle bundle;
    std::string appName = "Velto.app";

    /// Writes the archive to `file` and returns its SHA-256.
    std::string write(const std::filesystem::path& file, const Ed25519PrivateKey& key) const {
        TemporaryFolder work;
        auto app = bundle.make(work.path() / appName);
        BundleManifestWriter::write(app, key);
        {
            ZipWriter zip(file);
            zip.folder(appName);
            zip.tree(app, appName);
        }
        return UpdateDigest::sha256Hex(file);
    }
};

} // namespace velto::testing
