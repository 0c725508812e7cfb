#pragma once

#include "VeltoDevice/Update/UpdateRefusal.hpp"

#include <optional>
#include <string>

namespace velto {

/// What the coordinator made of one offer.
struct UpdateDecision {
    enum class Case {
        /// Accepted: its staging started.
        downloading,
        ignored
    };

    Case kind = Case::downloading;
    /// The offer's version text, for `downloading`.
    std::string version;
    /// Why, for `ignored`.
    std::optional<UpdateRefusal> refusal;

    static UpdateDecision downloading(std::string version) {
        return {Case::downloading, std::move(version), {}};
    }
    static UpdateDecision ignored(UpdateRefusal refusal) { return {Case::ignored, {}, std::move(refusal)}; }

    friend bool operator==(const UpdateDecision&, const UpdateDecision&) = default;
};

} // namespace velto
