#include "VeltoDevice/Scopes/DeviceScopes.hpp"

namespace velto {

std::optional<DeviceScopeState> DeviceScopes::state(DeviceScope scope) const {
    for (const DeviceScopeState& entry : scopes) {
        if (entry.scope == scope)
            return entry;
    }
    return std::nullopt;
}

bool DeviceScopes::holds(DeviceScope scope) const {
    auto entry = state(scope);
    return entry && entry->isHeld;
}

Json DeviceScopes::toJson() const {
    Json list = Json::array();
    for (const DeviceScopeState& entry : scopes)
        list.push_back(entry.toJson());
    return {{"deviceId", deviceId}, {"scopes", std::move(list)}};
}

std::optional<DeviceScopes> DeviceScopes::decode(const Json& value) {
    if (!value.is_object())
        return std::nullopt;
    auto list = value.find("scopes");
    if (list == value.end() || !list->is_array())
        return std::nullopt;

    DeviceScopes record;
    for (const Json& element : *list) {
        auto name = json::string(element, "scope");
        if (!name)
            return std::nullopt;
        if (!deviceScopeFromRawValue(*name))
            continue;
        auto entry = DeviceScopeState::decode(element);
        if (!entry)
            return std::nullopt;
        record.scopes.push_back(std::move(*entry));
    }

    auto deviceId = json::string(value, "deviceId");
    if (!deviceId)
        return std::nullopt;
    record.deviceId = std::move(*deviceId);
    return record;
}

} // namespace velto
