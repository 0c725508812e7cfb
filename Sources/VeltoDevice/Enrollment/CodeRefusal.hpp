#pragma once

#include "VeltoDevice/Enrollment/EnrollmentCode.hpp"

#include <string>

namespace velto {

/// A code that could not be spent, with the user-facing reason.
struct CodeRefusal {
    EnrollmentCode code;
    std::string reason;

    friend bool operator==(const CodeRefusal&, const CodeRefusal&) = default;
};

} // namespace velto
