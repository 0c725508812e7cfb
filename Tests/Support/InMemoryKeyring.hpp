#pragma once

#include "VeltoDevice/Keys/DeviceKeyring.hpp"

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "InMemoryKeyStorage.hpp"

namespace velto::testing {

/// A keyring in memory: one InMemoryKeyStorage per device id, made on first use and the same
/// object ever after, so a test can arrange failures and look at contents through `storage(id)`.
class InMemoryKeyring final : public DeviceKeyring {
public:
    std::shared_ptr<DeviceKeyStorage> item(const std::string& deviceId) const override;

    /// The storage of `deviceId`, made empty if there is none yet.
    std::shared_ptr<InMemoryKeyStorage> storage(const std::string& deviceId) const;

    /// Every device id that holds data, with its data.
    std::map<std::string, Bytes> contents() const;

private:
    mutable std::mutex mutex_;
    mutable std::map<std::string, std::shared_ptr<InMemoryKeyStorage>> items_;
};

} // namespace velto::testing
