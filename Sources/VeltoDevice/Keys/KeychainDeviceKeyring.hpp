#pragma once

#include "VeltoDevice/Keys/DeviceKeyring.hpp"

#include <memory>
#include <string>

namespace velto {

/// One keychain item per enrolled device id, all under one service.
class KeychainDeviceKeyring final : public DeviceKeyring {
public:
    explicit KeychainDeviceKeyring(std::string service) : service_(std::move(service)) {}

    /// The keyring of the application's own service.
    static const std::shared_ptr<KeychainDeviceKeyring>& standard();

    const std::string& service() const { return service_; }

    /// A KeychainItem whose account is "device-key." followed by the id unchanged.
    std::shared_ptr<DeviceKeyStorage> item(const std::string& deviceId) const override;

private:
    std::string service_;
};

} // namespace velto
