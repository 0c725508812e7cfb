#pragma once

#include "VeltoDevice/Enrollment/ApprovedEnrollment.hpp"
#include "VeltoDevice/Enrollment/EnrollmentProposal.hpp"

#include <optional>

namespace velto {

/// The one approved proposal whose codes are being spent: a second cannot begin until it finishes.
struct EnrollmentInFlight {
    std::optional<EnrollmentProposal> proposal;

    bool isSpending() const { return proposal.has_value(); }
    /// Holds the approved enrollment's proposal and answers true, unless one is already held (even the
    /// very same): then false, and nothing changes.
    bool begin(const ApprovedEnrollment& approved);
    /// Drops the held proposal, whatever the spending's outcome.
    void finish() { proposal.reset(); }

    friend bool operator==(const EnrollmentInFlight&, const EnrollmentInFlight&) = default;
};

} // namespace velto
