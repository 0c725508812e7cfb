#pragma once

#include "VeltoDevice/Enrollment/HarnessKind.hpp"
#include "VeltoDevice/Enrollment/HarnessModel.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <optional>
#include <string>
#include <vector>

namespace velto {

/// How one harness stands on this machine, as sent when enrolling and in every hello.
struct HarnessReport {
    HarnessKind kind = HarnessKind::claudeCode;
    /// Absent when the version could not be read (written as null); an empty text is not absent.
    std::optional<std::string> version;
    bool signedIn = false;
    /// Absent when no model catalog is known for the tool (the key is left out), which differs
    /// from an empty list (written as []).
    std::optional<std::vector<HarnessModel>> models;

    /// A copy with `models` replaced; kind, version and sign-in kept.
    HarnessReport reporting(std::optional<std::vector<HarnessModel>> newModels) const;

    /// {"kind", "version", "signedIn"} always, the version as null when absent; "models" only when present.
    /// Texts that are not valid UTF-8 are written repaired (repairedUTF8).
    Json toJson() const;
    /// Nothing when "kind" or "signedIn" is missing or mistyped, the kind is unknown, or a model does
    /// not decode; a missing or null "version" or "models" gives an absent one. Unknown keys are ignored.
    static std::optional<HarnessReport> decode(const Json& value);

    friend bool operator==(const HarnessReport&, const HarnessReport&) = default;
};

} // namespace velto
