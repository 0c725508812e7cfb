// velto-bundle-manifest BUNDLE KEY: signs a bundle folder for packaging, writing its manifest and
// the manifest's signature into Contents/_CodeSignature with the PEM Ed25519 key in KEY.
#include "VeltoDevice/Support/Files.hpp"
#include "VeltoDevice/Update/BundleManifestWriter.hpp"
#include "VeltoDevice/Update/Ed25519PrivateKey.hpp"

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: velto-bundle-manifest BUNDLE KEY.pem\n";
        return 2;
    }
    try {
        auto pem = velto::files::readBounded(argv[2], 64 * 1024);
        auto key = pem ? velto::Ed25519PrivateKey::fromPEM(*pem) : std::nullopt;
        if (!key) {
            std::cerr << "velto-bundle-manifest: the key is not a PEM Ed25519 private key\n";
            return 1;
        }
        velto::BundleManifestWriter::write(argv[1], *key);
    } catch (const std::exception& error) {
        std::cerr << "velto-bundle-manifest: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
