#pragma once

#include "VeltoDevice/Support/Error.hpp"
#include "VeltoDevice/Support/InstallLocationProblem.hpp"

#include <optional>

namespace velto {

/// Why an update offer is ignored or a staging attempt failed. The texts are lower-case clauses,
/// written only to the log after the offered version.
class UpdateRefusal : public Error {
public:
    enum class Case {
        notInstallable,
        unreadableVersion,
        notNewer,
        notNewerThanPending,
        refusedEarlier,
        notHTTPS,
        malformedDigest,
        noPublicKey,
        badSignature,
        downloadFailed,
        digestMismatch,
        unzipFailed,
        notOneApp,
        wrongBundleIdentifier,
        wrongVersion,
        invalidCodeSignature
    };

    /// Any case but `notInstallable`, which needs its problem.
    explicit UpdateRefusal(Case kind);
    static UpdateRefusal notInstallable(InstallLocationProblem problem);

    Case kind() const { return kind_; }
    /// The problem of `notInstallable`.
    std::optional<InstallLocationProblem> problem() const { return problem_; }
    /// Only a failed download may be tried again at the version's next offer.
    bool isRetryable() const { return kind_ == Case::downloadFailed; }

    friend bool operator==(const UpdateRefusal& a, const UpdateRefusal& b) {
        return a.kind_ == b.kind_ && a.problem_ == b.problem_;
    }

private:
    UpdateRefusal(Case kind, std::optional<InstallLocationProblem> problem);

    Case kind_;
    std::optional<InstallLocationProblem> problem_;
};

} // namespace velto
