#include "VeltoDesktop/Views/ScopeChoices.hpp"

#include "VeltoDesktop/UserTexts.hpp"

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
            return UserTexts::scopeTakenAway(
                       QString::fromUtf8(title(scope).data(), static_cast<qsizetype>(title(scope).size())))
                .toStdString();
    }
    return std::nullopt;
}

} // namespace velto
