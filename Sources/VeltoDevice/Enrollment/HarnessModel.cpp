#include "VeltoDevice/Enrollment/HarnessModel.hpp"

#include "VeltoDevice/Support/RepairedUTF8.hpp"

namespace velto {

Json HarnessModel::toJson() const {
    Json levels = Json::array();
    for (ModelEffort effort : efforts)
        levels.push_back(rawValue(effort));
    // Ids and names come from a tool's model list: invalid UTF-8 is written as U+FFFD.
    Json object = {{"id", repairedUTF8(id)}, {"name", repairedUTF8(name)}, {"efforts", std::move(levels)}};
    object["defaultEffort"] = defaultEffort ? Json(rawValue(*defaultEffort)) : Json(nullptr);
    return object;
}

std::optional<HarnessModel> HarnessModel::decode(const Json& value) {
    auto id = json::string(value, "id");
    auto name = json::string(value, "name");
    if (!id || !name)
        return std::nullopt;
    auto levels = value.find("efforts");
    if (levels == value.end() || !levels->is_array())
        return std::nullopt;

    HarnessModel model{std::move(*id), std::move(*name), {}, std::nullopt};
    model.efforts.reserve(levels->size());
    for (const Json& level : *levels) {
        if (!level.is_string())
            return std::nullopt;
        auto effort = modelEffortFromRawValue(level.get_ref<const std::string&>());
        if (!effort)
            return std::nullopt;
        model.efforts.push_back(*effort);
    }

    if (json::has(value, "defaultEffort") && !json::isNull(value, "defaultEffort")) {
        auto text = json::string(value, "defaultEffort");
        if (!text)
            return std::nullopt;
        model.defaultEffort = modelEffortFromRawValue(*text);
        if (!model.defaultEffort)
            return std::nullopt;
    }
    return model;
}

} // namespace velto
