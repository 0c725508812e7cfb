#pragma once

#include "VeltoDevice/Keys/DeviceKeyStorage.hpp"

#include <memory>

namespace velto {

/// A key storage that moves a key found only under `earlier` into `current` on first read.
class MovedDeviceKey final : public DeviceKeyStorage {
public:
    MovedDeviceKey(std::shared_ptr<DeviceKeyStorage> current, std::shared_ptr<DeviceKeyStorage> earlier);

    /// The one-key item of earlier versions, moved from the application's earlier identifier.
    /// Made once, on first use.
    static const std::shared_ptr<MovedDeviceKey>& standard();

    const std::shared_ptr<DeviceKeyStorage>& current() const { return current_; }
    const std::shared_ptr<DeviceKeyStorage>& earlier() const { return earlier_; }

    /// `current`'s data; else `earlier`'s, written to `current` before `earlier` is deleted.
    std::optional<Bytes> read() const override;
    /// Writes `current` only.
    void write(const Bytes& data) override;
    /// Deletes `current`, then `earlier` with its failure ignored.
    void remove() override;

private:
    std::shared_ptr<DeviceKeyStorage> current_;
    std::shared_ptr<DeviceKeyStorage> earlier_;
};

} // namespace velto
