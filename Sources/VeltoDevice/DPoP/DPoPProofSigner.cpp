#include "VeltoDevice/DPoP/DPoPProofSigner.hpp"

#include "VeltoDevice/DPoP/DPoPClaims.hpp"
#include "VeltoDevice/DPoP/DPoPError.hpp"
#include "VeltoDevice/DPoP/DPoPHeader.hpp"
#include "VeltoDevice/Support/Base64URL.hpp"
#include "VeltoDevice/Support/Json.hpp"
#include "VeltoDevice/Support/RandomUUID.hpp"

#include <boost/url/url.hpp>

#include <mutex>

namespace velto {

namespace {

// The target URI of a proof: the URL as written, without its query and fragment.
std::string targetURI(boost::urls::url_view url) {
    boost::urls::url target(url);
    target.remove_query();
    target.remove_fragment();
    std::string text(target.buffer());
    if (text.empty())
        throw DPoPError::invalidTargetURL(std::string(url.buffer()));
    return text;
}

} // namespace

struct DPoPProofSigner::KeyForm {
    std::mutex mutex;
    std::optional<PublicJWK> jwk;
    std::string headerSegment;
};

DPoPProofSigner::DPoPProofSigner(std::shared_ptr<const DeviceSigningKey> key, Now now, MakeID makeID)
    : key_(std::move(key)), now_(std::move(now)), makeID_(std::move(makeID)),
      keyForm_(std::make_shared<KeyForm>()) {
    if (!now_)
        now_ = [] { return std::chrono::system_clock::now(); };
    if (!makeID_)
        makeID_ = &randomUUID;
}

std::string DPoPProofSigner::proof(std::string_view method, boost::urls::url_view url,
                                   const std::optional<std::string>& nonce) const {
    const KeyForm& form = keyForm();

    DPoPClaims claims;
    claims.jti = makeID_();
    claims.htu = targetURI(url);
    // duration_cast truncates toward zero: the fraction of the second is dropped.
    claims.iat = std::chrono::duration_cast<std::chrono::seconds>(now_().time_since_epoch()).count();
    claims.htm = std::string(method);
    claims.nonce = nonce;

    std::string signingInput = form.headerSegment;
    signingInput += '.';
    signingInput += Base64URL::encode(encodeCompact(claims.toJson()));

    Bytes signature;
    try {
        signature = key_->signature(toBytes(signingInput)).rawRepresentation();
    } catch (...) {
        throw DPoPError::signingFailed();
    }
    signingInput += '.';
    signingInput += Base64URL::encode(signature);
    return signingInput;
}

PublicJWK DPoPProofSigner::publicJWK() const {
    return *keyForm().jwk;
}

const DPoPProofSigner::KeyForm& DPoPProofSigner::keyForm() const {
    std::lock_guard lock(keyForm_->mutex);
    if (!keyForm_->jwk) {
        PublicJWK jwk(key_->publicKey());
        keyForm_->headerSegment =
            Base64URL::encode(encodeCompact(DPoPHeader{"dpop+jwt", "ES256", jwk}.toJson()));
        keyForm_->jwk = std::move(jwk);
    }
    // Set once under the lock and never changed again, so it may be read after the lock is gone.
    return *keyForm_;
}

} // namespace velto
