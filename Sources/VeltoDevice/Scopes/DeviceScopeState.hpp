#pragma once

#include "VeltoDevice/Scopes/DeviceScope.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <optional>
#include <string>

namespace velto {

/// The server's record of one scope of one device.
struct DeviceScopeState {
    DeviceScope scope = DeviceScope::reviews;
    /// The device holds the scope now.
    bool isHeld = false;
    /// As the server writes it; not parsed.
    std::optional<std::string> grantedAt;
    /// When somebody other than the user took it back; not parsed.
    std::optional<std::string> revokedByOtherAt;
    /// Whether the scope may be granted, carried as sent.
    bool isAllowed = false;

    /// The five keys, an absent timestamp left out.
    Json toJson() const;
    /// Nothing when a required key is missing or mistyped, a timestamp is neither text nor null, or the
    /// scope is not one of the four. Unknown keys are ignored.
    static std::optional<DeviceScopeState> decode(const Json& value);

    friend bool operator==(const DeviceScopeState&, const DeviceScopeState&) = default;
};

} // namespace velto
