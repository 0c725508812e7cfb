#pragma once

#include "VeltoDevice/Scopes/DeviceScope.hpp"
#include "VeltoDevice/Scopes/DeviceScopeState.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <optional>
#include <string>
#include <vector>

namespace velto {

/// One device's scopes as the server keeps them.
struct DeviceScopes {
    std::string deviceId;
    /// In the server's order; duplicates are kept.
    std::vector<DeviceScopeState> scopes;

    /// The first entry for `scope`, if any.
    std::optional<DeviceScopeState> state(DeviceScope scope) const;
    /// The first entry's `isHeld`; false when there is none.
    bool holds(DeviceScope scope) const;

    /// {"deviceId", "scopes"}.
    Json toJson() const;
    /// Entries naming a scope this device does not know are dropped unread; a missing or non-text
    /// "scope", or any other entry that does not decode, fails the whole record, as does a missing or
    /// mistyped "deviceId" or "scopes".
    static std::optional<DeviceScopes> decode(const Json& value);

    friend bool operator==(const DeviceScopes&, const DeviceScopes&) = default;
};

} // namespace velto
