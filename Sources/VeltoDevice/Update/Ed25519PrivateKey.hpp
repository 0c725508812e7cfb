#pragma once

#include "VeltoDevice/Support/Bytes.hpp"
#include "VeltoDevice/Update/Ed25519PublicKey.hpp"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

typedef struct evp_pkey_st EVP_PKEY;

namespace velto {

/// An Ed25519 signing key, for the packaging tool that signs bundles and for tests.
class Ed25519PrivateKey {
public:
    /// A new random key; throws std::runtime_error when OpenSSL cannot make one.
    static Ed25519PrivateKey generate();
    /// From its raw 32-byte seed; nothing for another length.
    static std::optional<Ed25519PrivateKey> fromSeed(const Bytes& seed);
    /// From a PEM private key; nothing when the text is not one, or not Ed25519.
    static std::optional<Ed25519PrivateKey> fromPEM(std::string_view pem);

    /// The 64-byte signature over the message.
    Bytes sign(std::string_view message) const;
    Ed25519PublicKey publicKey() const;
    /// The PKCS #8 PEM text.
    std::string pem() const;

private:
    explicit Ed25519PrivateKey(std::shared_ptr<EVP_PKEY> key) : key_(std::move(key)) {}

    std::shared_ptr<EVP_PKEY> key_;
};

} // namespace velto
