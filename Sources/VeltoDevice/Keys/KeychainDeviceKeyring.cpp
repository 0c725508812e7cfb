#include "VeltoDevice/Keys/KeychainDeviceKeyring.hpp"

#include "VeltoDevice/Keys/KeychainItem.hpp"

namespace velto {

const std::shared_ptr<KeychainDeviceKeyring>& KeychainDeviceKeyring::standard() {
    static const auto keyring = std::make_shared<KeychainDeviceKeyring>(KeychainItem::service());
    return keyring;
}

std::shared_ptr<DeviceKeyStorage> KeychainDeviceKeyring::item(const std::string& deviceId) const {
    return std::make_shared<KeychainItem>(service_, "device-key." + deviceId);
}

} // namespace velto
