#pragma once

#include "VeltoDevice/Scopes/DeviceScope.hpp"

#include <optional>
#include <set>

namespace velto {

/// The federation step's rule for the kinds of work the user agrees to: a scope that widens others
/// may only stay on while at least one of those is on.
struct ScopeAgreement {
    /// `agreed` with `scope` turned on or off, then every agreed-order scope that widens others, none
    /// of which is left on, turned off.
    static std::set<DeviceScope> setting(std::set<DeviceScope> agreed, DeviceScope scope, bool isOn);
    /// Whether the switch of `scope` can be used: a scope that widens nothing always can, one that
    /// widens others only while one of those is on.
    static bool isEnabled(const std::set<DeviceScope>& agreed, DeviceScope scope);
    /// The first scope, in agreed order, that `after` holds and `before` did not.
    static std::optional<DeviceScope> firstAdded(const std::set<DeviceScope>& before,
                                                 const std::set<DeviceScope>& after);
};

} // namespace velto
