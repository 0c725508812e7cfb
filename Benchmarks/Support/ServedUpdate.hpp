#pragma once

#include "VeltoDevice/Update/AppVersion.hpp"
#include "VeltoDevice/Update/BundleManifestWriter.hpp"
#include "VeltoDevice/Update/Ed25519PrivateKey.hpp"
#include "VeltoDevice/Update/Ed25519PublicKey.hpp"
#include "VeltoDevice/Update/UpdateDigest.hpp"
#include "VeltoDevice/Update/VerifiedUpdate.hpp"

#include <filesystem>
#include <string>

#include "EndToEndPeer.hpp"
#include "TestBundle.hpp"
#include "ZipWriter.hpp"

namespace velto::benchmarks {

/// A signed update, served by the peer, whose app holds `files` files of 8 KiB besides the small
/// bundle's own: an update's staging that unpacks, checks and removes a tree of some size.
struct ServedUpdate {
    VerifiedUpdate update;
    Ed25519PublicKey signer;

    static ServedUpdate serve(const testing::EndToEndPeer& peer, const std::filesystem::path& work,
                              int files) {
        auto key = Ed25519PrivateKey::generate();
        testing::TestBundle bundle;
        auto app = bundle.make(work / "bundle" / "Velto.app");
        const std::string content(8192, 'x');
        for (int index = 0; index < files; ++index)
            testing::TestBundle::writeFile(app / "Contents" / "Resources" / "many" /
                                               std::to_string(index / 100) / (std::to_string(index) + ".txt"),
                                           content);
        BundleManifestWriter::write(app, key);
        const auto archive = work / "update.zip";
        {
            testing::ZipWriter zip(archive);
            zip.folder("Velto.app");
            zip.tree(app, "Velto.app");
        }
        peer.control("POST", "/control/updates/file", {{"name", "update.zip"}, {"path", archive.string()}});
        VerifiedUpdate update{*AppVersion::parse(bundle.version),
                              boost::urls::url(peer.baseURL() + "api/updates/file/update.zip"),
                              UpdateDigest::sha256Hex(archive)};
        return {std::move(update), key.publicKey()};
    }
};

} // namespace velto::benchmarks
