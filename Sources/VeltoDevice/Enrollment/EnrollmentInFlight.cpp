#include "VeltoDevice/Enrollment/EnrollmentInFlight.hpp"

namespace velto {

bool EnrollmentInFlight::begin(const ApprovedEnrollment& approved) {
    if (proposal)
        return false;
    proposal = approved.proposal;
    return true;
}

} // namespace velto
