#include "VeltoDevice/Keys/SecureEnclaveKeyStore.hpp"

#include "VeltoDevice/Keys/KeyStoreError.hpp"

namespace velto {

SecureEnclaveDeviceKey SecureEnclaveKeyStore::makeKey() const {
    // A software key is always at hand here, so secureEnclaveUnavailable is never reported.
    try {
        return SecureEnclaveDeviceKey(P256PrivateKey::generate());
    } catch (const std::exception&) {
        throw KeyStoreError::keyCreationFailed();
    }
}

std::optional<SecureEnclaveDeviceKey> SecureEnclaveKeyStore::existingKey(const std::string& deviceId) const {
    auto data = keyring_->item(deviceId)->read();
    if (!data)
        return std::nullopt;
    auto privateKey = P256PrivateKey::fromDataRepresentation(*data);
    if (!privateKey)
        throw KeyStoreError::unreadableKey();
    return SecureEnclaveDeviceKey(std::move(*privateKey));
}

} // namespace velto
