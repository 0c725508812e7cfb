#include "VeltoDesktop/Views/ScopeChoices.hpp"

namespace velto {

std::vector<ScopeChoices::Item> ScopeChoices::items() const {
    std::vector<Item> out;
    for (auto scope : agreedDeviceScopes) {
        const bool held = scopes && scopes->holds(scope);
        out.push_back({scope, std::string(title(scope)) + (held ? "" : "\u2026"), held, scopes.has_value()});
    }
    return out;
}

std::optional<std::string> ScopeChoices::takenAwayNote() const {
    if (!scopes)
        return std::nullopt;
    for (auto scope : agreedDeviceScopes) {
        auto state = scopes->state(scope);
        if (state && state->revokedByOtherAt)
            return "An admin turned off " + std::string(title(scope)) + " on this Mac.";
    }
    return std::nullopt;
}

} // namespace velto
