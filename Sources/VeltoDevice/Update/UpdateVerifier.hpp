#pragma once

#include "VeltoDevice/Protocol/ServerMessage.hpp"
#include "VeltoDevice/Update/AppVersion.hpp"
#include "VeltoDevice/Update/Ed25519PublicKey.hpp"
#include "VeltoDevice/Update/VerifiedUpdate.hpp"

#include <optional>
#include <string>
#include <string_view>

namespace velto {

/// Screens update offers against the running build: a newer version, an https address, a well-formed
/// digest and a signature by the build's update key. Holds no mutable state.
class UpdateVerifier {
public:
    /// The first line of every signed update message.
    static constexpr std::string_view messagePrefix = "velto-desktop-update:v1\n";

    /// `runningVersion` falls back to the zero version when it does not parse; the key (strict
    /// standard base64 of a raw Ed25519 key) is absent when not given, undecodable or not a key.
    UpdateVerifier(std::string_view runningVersion, std::optional<std::string> publicKeyBase64);

    const AppVersion& runningVersion() const { return runningVersion_; }
    const std::optional<Ed25519PublicKey>& publicKey() const { return publicKey_; }

    /// The offer as a VerifiedUpdate, or the first refusal that applies, in this order:
    /// unreadableVersion, notNewer, notHTTPS, malformedDigest, noPublicKey, badSignature.
    VerifiedUpdate verify(const ServerMessage::UpdateOffer& offer) const;

    /// The bytes an offer's signature covers: the prefix, "macos", the version, the digest and the url
    /// texts exactly as offered, each but the last followed by a line feed.
    static std::string signedMessage(std::string_view version, std::string_view sha256, std::string_view url);

private:
    AppVersion runningVersion_;
    std::optional<Ed25519PublicKey> publicKey_;
};

} // namespace velto
