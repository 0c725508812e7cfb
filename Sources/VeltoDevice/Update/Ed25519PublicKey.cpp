#include "VeltoDevice/Update/Ed25519PublicKey.hpp"

#include <openssl/evp.h>

#include <stdexcept>

namespace velto {

namespace {

using DigestContext = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;

} // namespace

std::optional<Ed25519PublicKey> Ed25519PublicKey::fromRaw(const Bytes& raw) {
    if (raw.size() != 32)
        return std::nullopt;
    EVP_PKEY* key = EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, raw.data(), raw.size());
    if (key == nullptr)
        return std::nullopt;
    return Ed25519PublicKey(std::shared_ptr<EVP_PKEY>(key, &EVP_PKEY_free));
}

bool Ed25519PublicKey::isValidSignature(const Bytes& signature, std::string_view message) const {
    if (signature.size() != 64)
        return false;
    DigestContext context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (!context || EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key_.get()) != 1)
        return false;
    return EVP_DigestVerify(context.get(), signature.data(), signature.size(),
                            reinterpret_cast<const unsigned char*>(message.data()), message.size()) == 1;
}

Bytes Ed25519PublicKey::raw() const {
    Bytes bytes(32);
    std::size_t length = bytes.size();
    if (EVP_PKEY_get_raw_public_key(key_.get(), bytes.data(), &length) != 1 || length != 32)
        throw std::runtime_error("OpenSSL could not export the public key");
    return bytes;
}

} // namespace velto
