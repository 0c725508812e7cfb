#include "VeltoDevice/Enrollment/EnrollmentError.hpp"

namespace velto {

namespace {

const char* describe(EnrollmentError::Case kind) {
    switch (kind) {
    case EnrollmentError::Case::invalidCode:
        return "An enrollment code is 8 letters and digits, like 7KQ2-MX9D.";
    case EnrollmentError::Case::invalidLink:
        return "That link is not a Velto enrollment link.";
    case EnrollmentError::Case::codeRejected:
        return "Velto did not accept that code. It may be mistyped, expired or already used; make a new one "
               "in Devices.";
    case EnrollmentError::Case::keyAlreadyEnrolled:
        return "This device key is already enrolled. Try again; enrolling makes a new key.";
    case EnrollmentError::Case::proofRejected:
        return "Velto refused this computer's signature. Check that the computer's clock is right, then try "
               "again.";
    case EnrollmentError::Case::unreadableEnrollment:
        return "This computer's saved enrollments could not be read right now. Quit and reopen Velto to "
               "try again.";
    case EnrollmentError::Case::corruptEnrollments:
        return "This computer's list of organizations is damaged. Enroll each organization again.";
    case EnrollmentError::Case::corruptEnrollment:
        return "This computer's saved enrollment is damaged. It was set aside; enroll this computer "
               "again.";
    }
    return "";
}

} // namespace

EnrollmentError::EnrollmentError(Case kind) : Error(describe(kind)), kind_(kind) {}

} // namespace velto
