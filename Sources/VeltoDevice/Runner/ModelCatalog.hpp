#pragma once

#include "VeltoDevice/Enrollment/HarnessKind.hpp"
#include "VeltoDevice/Enrollment/HarnessModel.hpp"
#include "VeltoDevice/Enrollment/HarnessReport.hpp"

#include <cstddef>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

namespace velto {

/// The runner script's validated answer to `device models`: the models each harness offers, in the
/// order the runner listed them.
struct ModelCatalog {
    /// The most models kept per harness.
    static constexpr std::size_t modelLimit = 64;
    /// The longest id or name, in UTF-16 code units.
    static constexpr std::size_t maximumTextLength = 100;

    /// Every list is non-empty.
    std::map<HarnessKind, std::vector<HarnessModel>> models;

    /// The catalog of the last line (at any line break, empty lines left out) that is a JSON object
    /// with a "models" object; earlier lines (progress, warnings) are not looked at once a later one
    /// decodes. Keys that name no harness kind are ignored, and kinds with no valid model left out, so
    /// a decoded line may give an empty catalog. Nothing when no line decodes.
    static std::optional<ModelCatalog> parse(std::string_view output);

    /// One harness's list, checked element by element: a model that does not decode, or whose id or
    /// name is not 1 to 100 UTF-16 units long, is dropped; its efforts become the known ones in the
    /// order low, medium, high, max, each once; its default stays only when it is one of them; a
    /// repeated id is dropped (the first valid one wins); the first `modelLimit` remain.
    static std::vector<HarnessModel> validModels(const Json& list);

    /// The reports in the same order, each signed-in one with its kind's list (or no list when the
    /// catalog has none), each signed-out one with no list.
    std::vector<HarnessReport> attach(const std::vector<HarnessReport>& reports) const;

    friend bool operator==(const ModelCatalog&, const ModelCatalog&) = default;
};

} // namespace velto
