#pragma once

#include "VeltoDevice/Connection/ConnectionState.hpp"
#include "VeltoDevice/Enrollment/Enrollment.hpp"

#include <string>

namespace velto {

/// One row of the organization list: a saved enrollment with its live connection state. Its identity
/// in lists is the enrollment's device id.
struct EnrolledOrganization {
    Enrollment enrollment;
    ConnectionState state = ConnectionState::offline();

    const std::string& id() const { return enrollment.deviceId; }

    friend bool operator==(const EnrolledOrganization&, const EnrolledOrganization&) = default;
};

} // namespace velto
