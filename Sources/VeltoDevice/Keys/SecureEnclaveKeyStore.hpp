#pragma once

#include "VeltoDevice/Keys/DeviceKeyring.hpp"
#include "VeltoDevice/Keys/SecureEnclaveDeviceKey.hpp"

#include <memory>
#include <optional>
#include <string>

namespace velto {

/// Makes new device keys and reopens stored ones. It stores nothing itself.
class SecureEnclaveKeyStore {
public:
    explicit SecureEnclaveKeyStore(std::shared_ptr<DeviceKeyring> keyring) : keyring_(std::move(keyring)) {}

    const std::shared_ptr<DeviceKeyring>& keyring() const { return keyring_; }

    /// A fresh key; KeyStoreError::keyCreationFailed when none can be made.
    SecureEnclaveDeviceKey makeKey() const;
    /// The key stored for `deviceId`, or nothing when none is stored. A read failure is passed on;
    /// stored bytes that do not open as a key are KeyStoreError::unreadableKey.
    std::optional<SecureEnclaveDeviceKey> existingKey(const std::string& deviceId) const;

private:
    std::shared_ptr<DeviceKeyring> keyring_;
};

} // namespace velto
