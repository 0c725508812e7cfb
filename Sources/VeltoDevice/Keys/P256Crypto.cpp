// OpenSSL behind the P-256 key, public key and signature types.
#include "VeltoDevice/Keys/P256PrivateKey.hpp"
#include "VeltoDevice/Keys/P256PublicKey.hpp"
#include "VeltoDevice/Keys/P256Signature.hpp"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/ecdsa.h>
#include <openssl/evp.h>
#include <openssl/obj_mac.h>
#include <openssl/param_build.h>
#include <openssl/x509.h>

#include <mutex>
#include <stdexcept>

namespace velto {

namespace {

constexpr std::size_t kCoordinateSize = 32;

struct PKeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct MDContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
struct PKeyContextFree {
    void operator()(EVP_PKEY_CTX* context) const { EVP_PKEY_CTX_free(context); }
};
struct SigFree {
    void operator()(ECDSA_SIG* sig) const { ECDSA_SIG_free(sig); }
};
struct BNFree {
    void operator()(BIGNUM* number) const { BN_free(number); }
};
struct ParamBuildFree {
    void operator()(OSSL_PARAM_BLD* build) const { OSSL_PARAM_BLD_free(build); }
};
struct ParamFree {
    void operator()(OSSL_PARAM* params) const { OSSL_PARAM_free(params); }
};

std::shared_ptr<EVP_PKEY> share(EVP_PKEY* key) {
    return std::shared_ptr<EVP_PKEY>(key, PKeyFree{});
}

bool isP256(EVP_PKEY* key) {
    if (EVP_PKEY_get_base_id(key) != EVP_PKEY_EC)
        return false;
    char group[64] = {};
    std::size_t length = 0;
    if (EVP_PKEY_get_utf8_string_param(key, OSSL_PKEY_PARAM_GROUP_NAME, group, sizeof group, &length) != 1) {
        return false;
    }
    return std::string(group, length) == SN_X9_62_prime256v1;
}

} // namespace

P256Signature P256Signature::fromRaw(Bytes raw) {
    if (raw.size() != 2 * kCoordinateSize)
        throw std::invalid_argument("a P-256 signature has 64 bytes");
    return P256Signature(std::move(raw));
}

P256Signature P256Signature::fromDER(const Bytes& der) {
    const unsigned char* cursor = der.data();
    std::unique_ptr<ECDSA_SIG, SigFree> sig(d2i_ECDSA_SIG(nullptr, &cursor, static_cast<long>(der.size())));
    if (!sig)
        throw std::invalid_argument("not a DER ECDSA signature");
    const BIGNUM* r = ECDSA_SIG_get0_r(sig.get());
    const BIGNUM* s = ECDSA_SIG_get0_s(sig.get());
    Bytes raw(2 * kCoordinateSize);
    if (BN_bn2binpad(r, raw.data(), kCoordinateSize) < 0 ||
        BN_bn2binpad(s, raw.data() + kCoordinateSize, kCoordinateSize) < 0) {
        throw std::invalid_argument("signature values too large for P-256");
    }
    return P256Signature(std::move(raw));
}

Bytes P256Signature::derRepresentation() const {
    std::unique_ptr<ECDSA_SIG, SigFree> sig(ECDSA_SIG_new());
    BIGNUM* r = BN_bin2bn(raw_.data(), kCoordinateSize, nullptr);
    BIGNUM* s = BN_bin2bn(raw_.data() + kCoordinateSize, kCoordinateSize, nullptr);
    if (!sig || !r || !s || ECDSA_SIG_set0(sig.get(), r, s) != 1) {
        BN_free(r);
        BN_free(s);
        throw std::runtime_error("could not encode the signature");
    }
    int length = i2d_ECDSA_SIG(sig.get(), nullptr);
    Bytes der(static_cast<std::size_t>(length));
    unsigned char* cursor = der.data();
    i2d_ECDSA_SIG(sig.get(), &cursor);
    return der;
}

P256PublicKey P256PublicKey::fromX963(const Bytes& x963) {
    if (x963.size() != 1 + 2 * kCoordinateSize || x963[0] != 0x04) {
        throw std::invalid_argument("not an uncompressed P-256 point");
    }
    std::unique_ptr<EVP_PKEY_CTX, PKeyContextFree> context(
        EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
    std::unique_ptr<OSSL_PARAM_BLD, ParamBuildFree> build(OSSL_PARAM_BLD_new());
    if (!context || !build)
        throw std::runtime_error("OpenSSL could not allocate");
    OSSL_PARAM_BLD_push_utf8_string(build.get(), OSSL_PKEY_PARAM_GROUP_NAME, SN_X9_62_prime256v1, 0);
    OSSL_PARAM_BLD_push_octet_string(build.get(), OSSL_PKEY_PARAM_PUB_KEY, x963.data(), x963.size());
    std::unique_ptr<OSSL_PARAM, ParamFree> params(OSSL_PARAM_BLD_to_param(build.get()));
    EVP_PKEY* key = nullptr;
    if (!params || EVP_PKEY_fromdata_init(context.get()) != 1 ||
        EVP_PKEY_fromdata(context.get(), &key, EVP_PKEY_PUBLIC_KEY, params.get()) != 1) {
        throw std::invalid_argument("not a point on P-256");
    }
    auto owned = share(key);
    // fromdata does not check that the point lies on the curve; the public check does.
    std::unique_ptr<EVP_PKEY_CTX, PKeyContextFree> check(EVP_PKEY_CTX_new_from_pkey(nullptr, key, nullptr));
    if (!check || EVP_PKEY_public_check(check.get()) != 1)
        throw std::invalid_argument("not a point on P-256");
    return P256PublicKey(x963);
}

bool P256PublicKey::isValidSignature(const P256Signature& signature, const Bytes& data) const {
    std::unique_ptr<EVP_PKEY_CTX, PKeyContextFree> context(
        EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
    std::unique_ptr<OSSL_PARAM_BLD, ParamBuildFree> build(OSSL_PARAM_BLD_new());
    OSSL_PARAM_BLD_push_utf8_string(build.get(), OSSL_PKEY_PARAM_GROUP_NAME, SN_X9_62_prime256v1, 0);
    OSSL_PARAM_BLD_push_octet_string(build.get(), OSSL_PKEY_PARAM_PUB_KEY, x963_.data(), x963_.size());
    std::unique_ptr<OSSL_PARAM, ParamFree> params(OSSL_PARAM_BLD_to_param(build.get()));
    EVP_PKEY* raw = nullptr;
    if (EVP_PKEY_fromdata_init(context.get()) != 1 ||
        EVP_PKEY_fromdata(context.get(), &raw, EVP_PKEY_PUBLIC_KEY, params.get()) != 1) {
        return false;
    }
    auto key = share(raw);
    Bytes der = signature.derRepresentation();
    std::unique_ptr<EVP_MD_CTX, MDContextFree> md(EVP_MD_CTX_new());
    if (!md || EVP_DigestVerifyInit(md.get(), nullptr, EVP_sha256(), nullptr, key.get()) != 1)
        return false;
    return EVP_DigestVerify(md.get(), der.data(), der.size(), data.data(), data.size()) == 1;
}

struct P256PrivateKey::Signing {
    std::mutex mutex;
    /// A context past EVP_DigestSignInit for the key; never signs itself, only copied.
    std::unique_ptr<EVP_MD_CTX, MDContextFree> prepared;
};

P256PrivateKey::P256PrivateKey(std::shared_ptr<EVP_PKEY> key)
    : key_(std::move(key)), signing_(std::make_shared<Signing>()) {}

P256PrivateKey P256PrivateKey::generate() {
    EVP_PKEY* key = EVP_EC_gen(SN_X9_62_prime256v1);
    if (key == nullptr)
        throw std::runtime_error("OpenSSL could not generate a P-256 key");
    return P256PrivateKey(share(key));
}

std::optional<P256PrivateKey> P256PrivateKey::fromDataRepresentation(const Bytes& data) {
    const unsigned char* cursor = data.data();
    EVP_PKEY* key = d2i_PrivateKey(EVP_PKEY_EC, nullptr, &cursor, static_cast<long>(data.size()));
    if (key == nullptr)
        return std::nullopt;
    auto owned = share(key);
    if (cursor != data.data() + data.size() || !isP256(key))
        return std::nullopt;
    return P256PrivateKey(owned);
}

Bytes P256PrivateKey::dataRepresentation() const {
    int length = i2d_PrivateKey(key_.get(), nullptr);
    if (length <= 0)
        throw std::runtime_error("OpenSSL could not encode the key");
    Bytes der(static_cast<std::size_t>(length));
    unsigned char* cursor = der.data();
    i2d_PrivateKey(key_.get(), &cursor);
    return der;
}

P256PublicKey P256PrivateKey::publicKey() const {
    Bytes point(1 + 2 * kCoordinateSize);
    std::size_t length = 0;
    if (EVP_PKEY_get_octet_string_param(key_.get(), OSSL_PKEY_PARAM_PUB_KEY, point.data(), point.size(),
                                        &length) != 1 ||
        length != point.size()) {
        throw std::runtime_error("the key has no uncompressed public point");
    }
    return P256PublicKey::fromX963(point);
}

P256Signature P256PrivateKey::signature(const Bytes& data) const {
    std::unique_ptr<EVP_MD_CTX, MDContextFree> md(EVP_MD_CTX_new());
    if (!md)
        throw std::runtime_error("OpenSSL could not start signing");
    {
        std::lock_guard lock(signing_->mutex);
        auto& prepared = signing_->prepared;
        if (!prepared) {
            std::unique_ptr<EVP_MD_CTX, MDContextFree> context(EVP_MD_CTX_new());
            if (!context ||
                EVP_DigestSignInit(context.get(), nullptr, EVP_sha256(), nullptr, key_.get()) != 1)
                throw std::runtime_error("OpenSSL could not start signing");
            prepared = std::move(context);
        }
        if (EVP_MD_CTX_copy_ex(md.get(), prepared.get()) != 1)
            throw std::runtime_error("OpenSSL could not start signing");
    }
    // The copy signs once and is thrown away: no need to keep it reusable after the signature.
    EVP_MD_CTX_set_flags(md.get(), EVP_MD_CTX_FLAG_FINALISE);
    auto size = EVP_PKEY_get_size(key_.get());
    if (size <= 0)
        throw std::runtime_error("OpenSSL could not sign");
    Bytes der(static_cast<std::size_t>(size));
    std::size_t length = der.size();
    if (EVP_DigestSign(md.get(), der.data(), &length, data.data(), data.size()) != 1)
        throw std::runtime_error("OpenSSL could not sign");
    der.resize(length);
    return P256Signature::fromDER(der);
}

} // namespace velto
