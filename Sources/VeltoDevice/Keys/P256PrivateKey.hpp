#pragma once

#include "VeltoDevice/Keys/P256PublicKey.hpp"
#include "VeltoDevice/Keys/P256Signature.hpp"
#include "VeltoDevice/Support/Bytes.hpp"

#include <memory>
#include <optional>

typedef struct evp_pkey_st EVP_PKEY;

namespace velto {

/// A P-256 private key on OpenSSL. Its data representation is the key's DER encoding.
class P256PrivateKey {
public:
    /// A new random key; throws std::runtime_error when OpenSSL cannot make one.
    static P256PrivateKey generate();
    /// Opens a data representation; nothing when the bytes are not a P-256 private key.
    static std::optional<P256PrivateKey> fromDataRepresentation(const Bytes& data);

    Bytes dataRepresentation() const;
    P256PublicKey publicKey() const;
    /// ECDSA with SHA-256 of `data`; throws std::runtime_error when OpenSSL fails. Safe to call from
    /// several threads at once.
    P256Signature signature(const Bytes& data) const;

private:
    struct Signing;

    explicit P256PrivateKey(std::shared_ptr<EVP_PKEY> key);

    std::shared_ptr<EVP_PKEY> key_;
    /// Signing set up once for the key and shared by copies: setting it up costs more than the
    /// signature itself, copying the prepared context far less.
    std::shared_ptr<Signing> signing_;
};

} // namespace velto
