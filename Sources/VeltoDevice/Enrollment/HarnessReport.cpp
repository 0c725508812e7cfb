#include "VeltoDevice/Enrollment/HarnessReport.hpp"

#include "VeltoDevice/Support/RepairedUTF8.hpp"

namespace velto {

HarnessReport HarnessReport::reporting(std::optional<std::vector<HarnessModel>> newModels) const {
    HarnessReport copy = *this;
    copy.models = std::move(newModels);
    return copy;
}

Json HarnessReport::toJson() const {
    Json object = {{"kind", rawValue(kind)}, {"signedIn", signedIn}};
    // The version is a tool's own output: bytes that are not UTF-8 go out as U+FFFD, so that one
    // stray byte cannot stop the hello or the enroll request being written.
    object["version"] = version ? Json(repairedUTF8(*version)) : Json(nullptr);
    if (models) {
        Json list = Json::array();
        for (const HarnessModel& model : *models)
            list.push_back(model.toJson());
        object["models"] = std::move(list);
    }
    return object;
}

std::optional<HarnessReport> HarnessReport::decode(const Json& value) {
    auto kindText = json::string(value, "kind");
    if (!kindText)
        return std::nullopt;
    auto kind = harnessKindFromRawValue(*kindText);
    auto signedIn = json::boolean(value, "signedIn");
    if (!kind || !signedIn)
        return std::nullopt;

    HarnessReport report{*kind, std::nullopt, *signedIn, std::nullopt};
    if (json::has(value, "version") && !json::isNull(value, "version")) {
        report.version = json::string(value, "version");
        if (!report.version)
            return std::nullopt;
    }
    if (json::has(value, "models") && !json::isNull(value, "models")) {
        const Json& list = value.at("models");
        if (!list.is_array())
            return std::nullopt;
        std::vector<HarnessModel> models;
        models.reserve(list.size());
        for (const Json& element : list) {
            auto model = HarnessModel::decode(element);
            if (!model)
                return std::nullopt;
            models.push_back(std::move(*model));
        }
        report.models = std::move(models);
    }
    return report;
}

} // namespace velto
