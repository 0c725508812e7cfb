#pragma once

#include "VeltoDevice/Keys/P256PublicKey.hpp"
#include "VeltoDevice/Keys/P256Signature.hpp"
#include "VeltoDevice/Support/Bytes.hpp"

namespace velto {

/// The device key as a P-256 signing key.
class DeviceSigningKey {
public:
    virtual ~DeviceSigningKey() = default;

    virtual P256PublicKey publicKey() const = 0;
    /// ECDSA over P-256 with SHA-256 of `data`; may throw.
    virtual P256Signature signature(const Bytes& data) const = 0;
};

} // namespace velto
