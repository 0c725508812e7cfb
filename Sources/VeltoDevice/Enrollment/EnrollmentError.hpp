#pragma once

#include "VeltoDevice/Support/Error.hpp"

namespace velto {

/// A failure of enrollment: a code or link that does not read, a code the server refused, or saved
/// enrollments that cannot be used.
class EnrollmentError : public Error {
public:
    enum class Case {
        invalidCode,
        invalidLink,
        codeRejected,
        keyAlreadyEnrolled,
        proofRejected,
        unreadableEnrollment,
        corruptEnrollments,
        corruptEnrollment
    };

    static EnrollmentError invalidCode() { return EnrollmentError(Case::invalidCode); }
    static EnrollmentError invalidLink() { return EnrollmentError(Case::invalidLink); }
    static EnrollmentError codeRejected() { return EnrollmentError(Case::codeRejected); }
    static EnrollmentError keyAlreadyEnrolled() { return EnrollmentError(Case::keyAlreadyEnrolled); }
    static EnrollmentError proofRejected() { return EnrollmentError(Case::proofRejected); }
    static EnrollmentError unreadableEnrollment() { return EnrollmentError(Case::unreadableEnrollment); }
    static EnrollmentError corruptEnrollments() { return EnrollmentError(Case::corruptEnrollments); }
    static EnrollmentError corruptEnrollment() { return EnrollmentError(Case::corruptEnrollment); }

    explicit EnrollmentError(Case kind);

    Case kind() const { return kind_; }

    friend bool operator==(const EnrollmentError& a, const EnrollmentError& b) { return a.kind_ == b.kind_; }

private:
    Case kind_;
};

} // namespace velto
