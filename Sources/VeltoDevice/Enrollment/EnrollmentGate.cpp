#include "VeltoDevice/Enrollment/EnrollmentGate.hpp"

namespace velto {

EnrollmentGate::Decision EnrollmentGate::confirm() {
    if (step_ == Step::approved)
        return Decision::alreadyApproved();
    step_ = Step::approved;
    return Decision::enroll(ApprovedEnrollment{proposal_});
}

} // namespace velto
