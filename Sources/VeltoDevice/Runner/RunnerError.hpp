#pragma once

#include "VeltoDevice/Support/Error.hpp"

namespace velto {

/// Why the job runner could not start a job.
class RunnerError : public Error {
public:
    enum class Case { unavailable, launchFailed };

    /// "Velto's runner or Node.js is missing on this computer."
    static RunnerError unavailable();
    /// "The runner on this computer could not start."
    static RunnerError launchFailed();

    Case kind() const { return kind_; }

    friend bool operator==(const RunnerError& a, const RunnerError& b) { return a.kind_ == b.kind_; }

private:
    explicit RunnerError(Case kind);

    Case kind_;
};

} // namespace velto
