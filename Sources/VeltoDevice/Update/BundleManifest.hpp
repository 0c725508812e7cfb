#pragma once

#include "VeltoDevice/Update/BundleManifestEntry.hpp"

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace velto {

/// What a bundle holds, signed with the update key: our code signature. Written in the bundle as
/// `Contents/_CodeSignature/manifest.json`, {"v":1,"entries":{PATH:ENTRY}}, with PATH relative to the
/// bundle and ENTRY {"type":"file","sha256":HEX,"mode":"755"}, {"type":"link","target":TEXT} or
/// {"type":"folder"}; and `Contents/_CodeSignature/manifest.sig`, the standard base64 of an Ed25519
/// signature over `signingPrefix` followed by the manifest's exact bytes.
struct BundleManifest {
    static constexpr std::string_view folderPath = "Contents/_CodeSignature";
    static constexpr std::string_view manifestPath = "Contents/_CodeSignature/manifest.json";
    static constexpr std::string_view signaturePath = "Contents/_CodeSignature/manifest.sig";
    /// Unlike an offer's prefix, so that neither signature can stand for the other.
    static constexpr std::string_view signingPrefix = "velto-desktop-bundle:v1\n";

    /// By path; a manifest lists neither `folderPath` nor its two files.
    std::map<std::string, BundleManifestEntry> entries;

    /// Nothing unless the text is exactly that form: "v" 1, every path plain (no empty, "." or ".."
    /// part), every entry of its type with exactly its keys, digests of 64 lower-case hex characters
    /// and modes of three octal digits.
    static std::optional<BundleManifest> parse(std::string_view bytes);
    /// Compact JSON with sorted keys.
    std::string encode() const;
    /// The bytes the signature covers.
    static std::string signedMessage(std::string_view manifestBytes);
};

} // namespace velto
