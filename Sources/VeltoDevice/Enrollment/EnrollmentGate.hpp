#pragma once

#include "VeltoDevice/Enrollment/ApprovedEnrollment.hpp"
#include "VeltoDevice/Enrollment/EnrollmentLink.hpp"
#include "VeltoDevice/Enrollment/EnrollmentProposal.hpp"

#include <optional>

namespace velto {

/// Review, then approve, one proposal: the first confirmation approves it, every later one is refused,
/// so one gate never yields two approved enrollments.
class EnrollmentGate {
public:
    enum class Step { reviewing, approved };

    /// What a confirmation decided: `enroll` with the approved enrollment, or `alreadyApproved`.
    class Decision {
    public:
        enum class Case { enroll, alreadyApproved };

        static Decision enroll(ApprovedEnrollment approved) { return Decision(std::move(approved)); }
        static Decision alreadyApproved() { return Decision(std::nullopt); }

        Case kind() const { return approved_ ? Case::enroll : Case::alreadyApproved; }
        /// The approved enrollment of `enroll`.
        const std::optional<ApprovedEnrollment>& approved() const { return approved_; }

        friend bool operator==(const Decision&, const Decision&) = default;

    private:
        explicit Decision(std::optional<ApprovedEnrollment> approved) : approved_(std::move(approved)) {}

        std::optional<ApprovedEnrollment> approved_;
    };

    /// The link's proposal, in review.
    explicit EnrollmentGate(EnrollmentLink link) : proposal_{std::move(link)} {}

    const EnrollmentProposal& proposal() const { return proposal_; }
    Step step() const { return step_; }

    /// `enroll` on the first call, which approves the proposal; `alreadyApproved` afterwards.
    Decision confirm();

    friend bool operator==(const EnrollmentGate&, const EnrollmentGate&) = default;

private:
    EnrollmentProposal proposal_;
    Step step_ = Step::reviewing;
};

} // namespace velto
