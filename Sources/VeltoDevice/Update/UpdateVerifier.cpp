#include "VeltoDevice/Update/UpdateVerifier.hpp"

#include "VeltoDevice/Support/Ascii.hpp"
#include "VeltoDevice/Support/Base64.hpp"
#include "VeltoDevice/Update/UpdateRefusal.hpp"

#include <boost/url/parse.hpp>

#include <algorithm>

namespace velto {

namespace {

using Case = UpdateRefusal::Case;

std::optional<boost::urls::url> httpsURL(std::string_view text) {
    auto parsed = boost::urls::parse_uri(text);
    if (!parsed || !parsed->has_scheme() || asciiLowercased(parsed->scheme()) != "https")
        return std::nullopt;
    if (!parsed->has_authority() || parsed->encoded_host().empty())
        return std::nullopt;
    return boost::urls::url(*parsed);
}

bool isWellFormedDigest(std::string_view digest) {
    return digest.size() == 64 && std::all_of(digest.begin(), digest.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

} // namespace

UpdateVerifier::UpdateVerifier(std::string_view runningVersion, std::optional<std::string> publicKeyBase64)
    : runningVersion_(AppVersion::parse(runningVersion).value_or(AppVersion::zero())) {
    if (!publicKeyBase64)
        return;
    if (auto raw = Base64::decode(*publicKeyBase64))
        publicKey_ = Ed25519PublicKey::fromRaw(*raw);
}

VerifiedUpdate UpdateVerifier::verify(const ServerMessage::UpdateOffer& offer) const {
    auto version = AppVersion::parse(offer.version);
    if (!version)
        throw UpdateRefusal(Case::unreadableVersion);
    if (!(runningVersion_ < *version))
        throw UpdateRefusal(Case::notNewer);
    auto url = httpsURL(offer.url);
    if (!url)
        throw UpdateRefusal(Case::notHTTPS);
    if (!isWellFormedDigest(offer.sha256))
        throw UpdateRefusal(Case::malformedDigest);
    if (!publicKey_)
        throw UpdateRefusal(Case::noPublicKey);
    auto signature = Base64::decode(offer.signature);
    if (!signature || signature->size() != 64 ||
        !publicKey_->isValidSignature(*signature, signedMessage(offer.version, offer.sha256, offer.url)))
        throw UpdateRefusal(Case::badSignature);
    return VerifiedUpdate{*version, *url, offer.sha256};
}

std::string UpdateVerifier::signedMessage(std::string_view version, std::string_view sha256,
                                          std::string_view url) {
    std::string message(messagePrefix);
    message += "macos\n";
    message += version;
    message += '\n';
    message += sha256;
    message += '\n';
    message += url;
    return message;
}

} // namespace velto
