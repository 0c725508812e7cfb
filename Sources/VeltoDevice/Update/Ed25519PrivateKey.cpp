#include "VeltoDevice/Update/Ed25519PrivateKey.hpp"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <stdexcept>

namespace velto {

namespace {

std::shared_ptr<EVP_PKEY> owned(EVP_PKEY* key) {
    if (key == nullptr)
        return nullptr;
    return std::shared_ptr<EVP_PKEY>(key, &EVP_PKEY_free);
}

} // namespace

Ed25519PrivateKey Ed25519PrivateKey::generate() {
    EVP_PKEY* key = nullptr;
    std::unique_ptr<EVP_PKEY_CTX, decltype(&EVP_PKEY_CTX_free)> context(
        EVP_PKEY_CTX_new_id(EVP_PKEY_ED25519, nullptr), &EVP_PKEY_CTX_free);
    if (!context || EVP_PKEY_keygen_init(context.get()) != 1 || EVP_PKEY_keygen(context.get(), &key) != 1)
        throw std::runtime_error("OpenSSL could not make an Ed25519 key");
    return Ed25519PrivateKey(owned(key));
}

std::optional<Ed25519PrivateKey> Ed25519PrivateKey::fromSeed(const Bytes& seed) {
    if (seed.size() != 32)
        return std::nullopt;
    auto key = owned(EVP_PKEY_new_raw_private_key(EVP_PKEY_ED25519, nullptr, seed.data(), seed.size()));
    if (!key)
        return std::nullopt;
    return Ed25519PrivateKey(std::move(key));
}

std::optional<Ed25519PrivateKey> Ed25519PrivateKey::fromPEM(std::string_view pem) {
    if (pem.size() > 64 * 1024)
        return std::nullopt;
    std::unique_ptr<BIO, decltype(&BIO_free)> input(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())),
                                                    &BIO_free);
    if (!input)
        return std::nullopt;
    auto key = owned(PEM_read_bio_PrivateKey(input.get(), nullptr, nullptr, nullptr));
    if (!key || EVP_PKEY_get_id(key.get()) != EVP_PKEY_ED25519)
        return std::nullopt;
    return Ed25519PrivateKey(std::move(key));
}

Bytes Ed25519PrivateKey::sign(std::string_view message) const {
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    Bytes signature(64);
    std::size_t length = signature.size();
    if (!context || EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key_.get()) != 1 ||
        EVP_DigestSign(context.get(), signature.data(), &length,
                       reinterpret_cast<const unsigned char*>(message.data()), message.size()) != 1 ||
        length != 64)
        throw std::runtime_error("OpenSSL could not sign with the Ed25519 key");
    return signature;
}

Ed25519PublicKey Ed25519PrivateKey::publicKey() const {
    Bytes raw(32);
    std::size_t length = raw.size();
    std::optional<Ed25519PublicKey> key;
    if (EVP_PKEY_get_raw_public_key(key_.get(), raw.data(), &length) == 1)
        key = Ed25519PublicKey::fromRaw(raw);
    if (!key)
        throw std::runtime_error("OpenSSL could not export the public key");
    return *key;
}

std::string Ed25519PrivateKey::pem() const {
    std::unique_ptr<BIO, decltype(&BIO_free)> output(BIO_new(BIO_s_mem()), &BIO_free);
    if (!output ||
        PEM_write_bio_PrivateKey(output.get(), key_.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1)
        throw std::runtime_error("OpenSSL could not write the key");
    char* data = nullptr;
    long length = BIO_get_mem_data(output.get(), &data);
    return std::string(data, static_cast<std::size_t>(length));
}

} // namespace velto
