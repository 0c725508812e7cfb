#include "VeltoDesktop/Setup/ScopeAgreement.hpp"

namespace velto {

namespace {

bool widensNoneOf(const std::set<DeviceScope>& agreed, DeviceScope scope) {
    for (auto widened : widens(scope)) {
        if (agreed.count(widened))
            return false;
    }
    return true;
}

} // namespace

std::set<DeviceScope> ScopeAgreement::setting(std::set<DeviceScope> agreed, DeviceScope scope, bool isOn) {
    if (isOn)
        agreed.insert(scope);
    else
        agreed.erase(scope);
    std::vector<DeviceScope> stranded;
    for (auto candidate : agreedDeviceScopes) {
        if (!widens(candidate).empty() && widensNoneOf(agreed, candidate))
            stranded.push_back(candidate);
    }
    for (auto candidate : stranded)
        agreed.erase(candidate);
    return agreed;
}

bool ScopeAgreement::isEnabled(const std::set<DeviceScope>& agreed, DeviceScope scope) {
    return widens(scope).empty() || !widensNoneOf(agreed, scope);
}

std::optional<DeviceScope> ScopeAgreement::firstAdded(const std::set<DeviceScope>& before,
                                                      const std::set<DeviceScope>& after) {
    for (auto scope : agreedDeviceScopes) {
        if (after.count(scope) && !before.count(scope))
            return scope;
    }
    return std::nullopt;
}

} // namespace velto
