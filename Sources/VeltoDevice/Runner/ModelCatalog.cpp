#include "VeltoDevice/Runner/ModelCatalog.hpp"

#include "VeltoDevice/Runner/TextLines.hpp"
#include "VeltoDevice/Support/Json.hpp"
#include "VeltoDevice/Support/UnicodeText.hpp"

#include <algorithm>
#include <set>
#include <string>

namespace velto {

namespace {

/// The runner's model object as it stands: nothing when a required key is missing or of the wrong
/// type ("id", "name", an "efforts" array of strings; "defaultEffort" a string when present).
struct RunnerModel {
    std::string id;
    std::string name;
    std::vector<std::string> efforts;
    std::optional<std::string> defaultEffort;

    static std::optional<RunnerModel> decode(const Json& value) {
        auto id = json::string(value, "id");
        auto name = json::string(value, "name");
        if (!id || !name || !json::has(value, "efforts") || !value.at("efforts").is_array())
            return std::nullopt;
        RunnerModel model{std::move(*id), std::move(*name), {}, std::nullopt};
        for (const auto& effort : value.at("efforts")) {
            if (!effort.is_string())
                return std::nullopt;
            model.efforts.push_back(effort.get<std::string>());
        }
        if (json::has(value, "defaultEffort") && !json::isNull(value, "defaultEffort")) {
            model.defaultEffort = json::string(value, "defaultEffort");
            if (!model.defaultEffort)
                return std::nullopt;
        }
        return model;
    }
};

bool hasValidLength(const std::string& text) {
    auto length = unicode::utf16Length(text);
    return length && *length >= 1 && *length <= ModelCatalog::maximumTextLength;
}

} // namespace

std::vector<HarnessModel> ModelCatalog::validModels(const Json& list) {
    std::vector<HarnessModel> kept;
    if (!list.is_array())
        return kept;
    std::set<std::string> keptIds;
    for (const auto& element : list) {
        auto model = RunnerModel::decode(element);
        if (!model || !hasValidLength(model->id) || !hasValidLength(model->name))
            continue;
        std::vector<ModelEffort> efforts;
        for (auto effort : allModelEfforts) {
            if (std::find(model->efforts.begin(), model->efforts.end(), rawValue(effort)) !=
                model->efforts.end())
                efforts.push_back(effort);
        }
        std::optional<ModelEffort> defaultEffort;
        if (model->defaultEffort) {
            auto named = modelEffortFromRawValue(*model->defaultEffort);
            if (named && std::find(efforts.begin(), efforts.end(), *named) != efforts.end())
                defaultEffort = named;
        }
        if (!keptIds.insert(model->id).second)
            continue;
        kept.push_back(
            HarnessModel{std::move(model->id), std::move(model->name), std::move(efforts), defaultEffort});
        if (kept.size() == modelLimit)
            break;
    }
    return kept;
}

std::optional<ModelCatalog> ModelCatalog::parse(std::string_view output) {
    auto lines = nonEmptyLines(output);
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        auto answer = parseJson(*line);
        if (!answer || !answer->is_object())
            continue;
        auto models = answer->find("models");
        if (models == answer->end() || !models->is_object())
            continue;
        ModelCatalog catalog;
        for (const auto& [key, list] : models->items()) {
            auto kind = harnessKindFromRawValue(key);
            if (!kind)
                continue;
            auto valid = validModels(list);
            if (!valid.empty())
                catalog.models[*kind] = std::move(valid);
        }
        return catalog;
    }
    return std::nullopt;
}

std::vector<HarnessReport> ModelCatalog::attach(const std::vector<HarnessReport>& reports) const {
    std::vector<HarnessReport> attached;
    attached.reserve(reports.size());
    for (const auto& report : reports) {
        std::optional<std::vector<HarnessModel>> list;
        if (auto found = models.find(report.kind); report.signedIn && found != models.end())
            list = found->second;
        attached.push_back(report.reporting(std::move(list)));
    }
    return attached;
}

} // namespace velto
