#pragma once

#include "VeltoDevice/Enrollment/Enrollment.hpp"

#include <vector>

namespace velto {

/// Where the list of enrollments is kept, in the order of the organizations on this machine.
class EnrollmentListStorage {
public:
    virtual ~EnrollmentListStorage() = default;

    /// The saved list; empty when nothing was saved yet. Throws EnrollmentError::unreadableEnrollment
    /// or EnrollmentError::corruptEnrollments.
    virtual std::vector<Enrollment> load() const = 0;
    virtual void save(const std::vector<Enrollment>& enrollments) = 0;
    /// Moves a damaged list aside under a new name; never deletes it.
    virtual void setAsideCorrupt() = 0;
};

} // namespace velto
