#pragma once

#include "VeltoDevice/Enrollment/Enrollment.hpp"

#include <optional>

namespace velto {

/// A code that was spent: the new enrollment, and the saved record of the same organization it
/// replaced, if there was one.
struct JoinedOrganization {
    Enrollment enrollment;
    std::optional<Enrollment> replaced;

    friend bool operator==(const JoinedOrganization&, const JoinedOrganization&) = default;
};

} // namespace velto
