#pragma once

#include "VeltoDevice/Support/Bytes.hpp"

#include <optional>

namespace velto {

/// One stored key blob.
class DeviceKeyStorage {
public:
    virtual ~DeviceKeyStorage() = default;

    /// The stored blob; nothing when nothing is stored.
    virtual std::optional<Bytes> read() const = 0;
    /// Replaces whatever is stored by `data`.
    virtual void write(const Bytes& data) = 0;
    /// Removes what is stored; removing nothing is success. (`delete` in the interface's own words.)
    virtual void remove() = 0;
};

} // namespace velto
