#pragma once

#include "VeltoDevice/Enrollment/Enrollment.hpp"
#include "VeltoDevice/Support/Bytes.hpp"

#include <optional>
#include <string>

namespace velto {

/// The body of a successful enroll reply: the device id the server gave this machine and the
/// organization and user the code belongs to. Unknown keys are ignored.
struct EnrollmentResponse {
    std::string deviceId;
    Enrollment::Organization organization;
    Enrollment::User user;

    /// Nothing when the body is not a JSON object with "deviceId", "organization" and "user" in their
    /// forms. An empty device id is refused too: it would name no key and no device URL.
    static std::optional<EnrollmentResponse> decode(const Bytes& body);

    friend bool operator==(const EnrollmentResponse&, const EnrollmentResponse&) = default;
};

} // namespace velto
