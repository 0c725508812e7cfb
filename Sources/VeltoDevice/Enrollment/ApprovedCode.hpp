#pragma once

#include "VeltoDevice/Enrollment/EnrollmentCode.hpp"
#include "VeltoDevice/Server/VeltoServer.hpp"

namespace velto {

/// One code of an approved enrollment, with the server it is spent on.
struct ApprovedCode {
    VeltoServer server;
    EnrollmentCode code;

    friend bool operator==(const ApprovedCode&, const ApprovedCode&) = default;
};

} // namespace velto
