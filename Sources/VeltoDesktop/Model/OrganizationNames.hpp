#pragma once

#include "VeltoDevice/Enrollment/Enrollment.hpp"

#include <string>
#include <vector>

namespace velto {

/// The organizations' names as one phrase of the current locale ("A, B, and C" in English), through
/// ICU's list formatter; empty for no enrollment.
struct OrganizationNames {
    static std::string list(const std::vector<Enrollment>& enrollments);
};

} // namespace velto
