#include "VeltoDevice/Enrollment/ModelEffort.hpp"

namespace velto {

std::string_view rawValue(ModelEffort effort) {
    switch (effort) {
    case ModelEffort::low:
        return "low";
    case ModelEffort::medium:
        return "medium";
    case ModelEffort::high:
        return "high";
    case ModelEffort::max:
        return "max";
    }
    return {};
}

std::optional<ModelEffort> modelEffortFromRawValue(std::string_view text) {
    for (ModelEffort effort : allModelEfforts) {
        if (rawValue(effort) == text)
            return effort;
    }
    return std::nullopt;
}

} // namespace velto
