#pragma once

#include "VeltoDevice/Enrollment/ModelEffort.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <optional>
#include <string>
#include <vector>

namespace velto {

/// One model a harness offers, with the effort levels it accepts.
struct HarnessModel {
    std::string id;
    std::string name;
    /// In the order given; equality compares the order too.
    std::vector<ModelEffort> efforts;
    /// Absent when the tool names none; written as null then.
    std::optional<ModelEffort> defaultEffort;

    /// {"id", "name", "efforts", "defaultEffort"}, the default as null when absent; texts that are not
    /// valid UTF-8 are written repaired (repairedUTF8).
    Json toJson() const;
    /// Nothing when a required key is missing or mistyped, or any effort is not a known level;
    /// a missing or null "defaultEffort" gives no default. Unknown keys are ignored.
    static std::optional<HarnessModel> decode(const Json& value);

    friend bool operator==(const HarnessModel&, const HarnessModel&) = default;
};

} // namespace velto
