#include "VeltoDevice/Scopes/DeviceScopeState.hpp"

namespace velto {

namespace {

/// Missing or null is absent (true, nothing); text is the value; any other type fails (false).
bool optionalText(const Json& object, std::string_view key, std::optional<std::string>& out) {
    if (!json::has(object, key) || json::isNull(object, key))
        return true;
    out = json::string(object, key);
    return out.has_value();
}

} // namespace

Json DeviceScopeState::toJson() const {
    Json object = {{"scope", rawValue(scope)}, {"isHeld", isHeld}, {"isAllowed", isAllowed}};
    if (grantedAt)
        object["grantedAt"] = *grantedAt;
    if (revokedByOtherAt)
        object["revokedByOtherAt"] = *revokedByOtherAt;
    return object;
}

std::optional<DeviceScopeState> DeviceScopeState::decode(const Json& value) {
    auto scopeText = json::string(value, "scope");
    if (!scopeText)
        return std::nullopt;
    auto scope = deviceScopeFromRawValue(*scopeText);
    auto isHeld = json::boolean(value, "isHeld");
    auto isAllowed = json::boolean(value, "isAllowed");
    if (!scope || !isHeld || !isAllowed)
        return std::nullopt;
    DeviceScopeState state{*scope, *isHeld, std::nullopt, std::nullopt, *isAllowed};
    if (!optionalText(value, "grantedAt", state.grantedAt) ||
        !optionalText(value, "revokedByOtherAt", state.revokedByOtherAt)) {
        return std::nullopt;
    }
    return state;
}

} // namespace velto
