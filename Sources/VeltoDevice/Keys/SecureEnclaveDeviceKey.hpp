#pragma once

#include "VeltoDevice/Keys/DeviceSigningKey.hpp"
#include "VeltoDevice/Keys/P256PrivateKey.hpp"

namespace velto {

/// The device key of one enrollment. Here the key is a P-256 key of OpenSSL whose data
/// representation, the blob that is stored, is its private key's DER encoding.
class SecureEnclaveDeviceKey final : public DeviceSigningKey {
public:
    explicit SecureEnclaveDeviceKey(P256PrivateKey privateKey) : privateKey_(std::move(privateKey)) {}

    const P256PrivateKey& privateKey() const { return privateKey_; }

    P256PublicKey publicKey() const override;
    /// Signs with the private key; its errors pass through unchanged.
    P256Signature signature(const Bytes& data) const override;
    /// The blob to store, opened again by SecureEnclaveKeyStore::existingKey.
    Bytes dataRepresentation() const;

private:
    P256PrivateKey privateKey_;
};

} // namespace velto
