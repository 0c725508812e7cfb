#pragma once

#include "VeltoDevice/Enrollment/Enrollment.hpp"

#include <optional>

namespace velto {

/// Where earlier versions kept their single enrollment; read only to move it into the list.
class EnrollmentStorage {
public:
    virtual ~EnrollmentStorage() = default;

    /// Nothing when there is none. Throws EnrollmentError::unreadableEnrollment or
    /// EnrollmentError::corruptEnrollment.
    virtual std::optional<Enrollment> load() const = 0;
    virtual void save(const Enrollment& enrollment) = 0;
    /// Removes the file when there is one. (`delete` in the interface's own words.)
    virtual void remove() = 0;
    /// Moves a damaged file aside under a new name; never deletes it.
    virtual void setAsideCorrupt() = 0;
};

} // namespace velto
