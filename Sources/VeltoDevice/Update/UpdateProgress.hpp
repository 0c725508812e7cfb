#pragma once

#include <string>

namespace velto {

/// What the update path reports to the application.
struct UpdateProgress {
    enum class Case {
        /// An update is staged and waits until no job runs.
        waitingForReview,
        /// The bundle has been replaced and the relaunch started: the application should terminate.
        installed,
        /// Nothing waits.
        none
    };

    Case kind = Case::none;
    /// The version text of `waitingForReview` and `installed`.
    std::string version;

    static UpdateProgress waitingForReview(std::string version) {
        return {Case::waitingForReview, std::move(version)};
    }
    static UpdateProgress installed(std::string version) { return {Case::installed, std::move(version)}; }
    static UpdateProgress none() { return {}; }

    friend bool operator==(const UpdateProgress&, const UpdateProgress&) = default;
};

} // namespace velto
