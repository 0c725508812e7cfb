#include "VeltoDevice/Keys/MovedDeviceKey.hpp"

#include "VeltoDevice/Keys/KeychainItem.hpp"

namespace velto {

MovedDeviceKey::MovedDeviceKey(std::shared_ptr<DeviceKeyStorage> current,
                               std::shared_ptr<DeviceKeyStorage> earlier)
    : current_(std::move(current)), earlier_(std::move(earlier)) {}

const std::shared_ptr<MovedDeviceKey>& MovedDeviceKey::standard() {
    static const auto storage =
        std::make_shared<MovedDeviceKey>(std::make_shared<KeychainItem>(KeychainItem::deviceKey()),
                                         std::make_shared<KeychainItem>(KeychainItem::earlierDeviceKey()));
    return storage;
}

std::optional<Bytes> MovedDeviceKey::read() const {
    if (auto data = current_->read())
        return data;
    auto data = earlier_->read();
    if (!data)
        return std::nullopt;
    // A failed write leaves the earlier item where it is, so nothing is lost.
    current_->write(*data);
    try {
        earlier_->remove();
    } catch (const std::exception&) {
        // The key is safe under `current`; a stale earlier copy is harmless.
    }
    return data;
}

void MovedDeviceKey::write(const Bytes& data) {
    current_->write(data);
}

void MovedDeviceKey::remove() {
    current_->remove();
    try {
        earlier_->remove();
    } catch (const std::exception&) {
        // What matters is that `current` is gone.
    }
}

} // namespace velto
