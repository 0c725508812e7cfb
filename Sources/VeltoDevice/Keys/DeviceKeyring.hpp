#pragma once

#include "VeltoDevice/Keys/DeviceKeyStorage.hpp"

#include <memory>
#include <string>

namespace velto {

/// Hands out the key storage of one enrolled device id.
class DeviceKeyring {
public:
    virtual ~DeviceKeyring() = default;
    virtual std::shared_ptr<DeviceKeyStorage> item(const std::string& deviceId) const = 0;
};

} // namespace velto
