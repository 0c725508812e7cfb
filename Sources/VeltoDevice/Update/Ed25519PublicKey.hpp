#pragma once

#include "VeltoDevice/Support/Bytes.hpp"

#include <memory>
#include <optional>
#include <string_view>

typedef struct evp_pkey_st EVP_PKEY;

namespace velto {

/// An Ed25519 public key (RFC 8032) in its raw 32-byte form: the update key a build carries.
class Ed25519PublicKey {
public:
    /// Nothing unless the bytes are a valid raw key.
    static std::optional<Ed25519PublicKey> fromRaw(const Bytes& raw);

    /// Whether the 64-byte signature holds over the message.
    bool isValidSignature(const Bytes& signature, std::string_view message) const;

    Bytes raw() const;

private:
    explicit Ed25519PublicKey(std::shared_ptr<EVP_PKEY> key) : key_(std::move(key)) {}

    std::shared_ptr<EVP_PKEY> key_;
};

} // namespace velto
