#pragma once

#include "VeltoDevice/Enrollment/Enrollment.hpp"

#include <QVariantMap>
#include <vector>

namespace velto {

/// The first organization and its user as the pictures of the later steps show them.
struct FirstEnrollment {
    /// "exists", the organization's name, picture address and monogram, the device id and the user's
    /// title, picture address and initial, each made safe for display; without an enrollment "your
    /// organization", "V" and "You".
    static QVariantMap of(const std::vector<Enrollment>& enrollments);
};

} // namespace velto
