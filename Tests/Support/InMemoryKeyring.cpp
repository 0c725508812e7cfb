#include "InMemoryKeyring.hpp"

namespace velto::testing {

std::shared_ptr<DeviceKeyStorage> InMemoryKeyring::item(const std::string& deviceId) const {
    return storage(deviceId);
}

std::shared_ptr<InMemoryKeyStorage> InMemoryKeyring::storage(const std::string& deviceId) const {
    std::lock_guard lock(mutex_);
    auto& slot = items_[deviceId];
    if (!slot)
        slot = std::make_shared<InMemoryKeyStorage>();
    return slot;
}

std::map<std::string, Bytes> InMemoryKeyring::contents() const {
    std::lock_guard lock(mutex_);
    std::map<std::string, Bytes> out;
    for (const auto& [deviceId, storage] : items_) {
        if (auto data = storage->contents())
            out.emplace(deviceId, std::move(*data));
    }
    return out;
}

} // namespace velto::testing
