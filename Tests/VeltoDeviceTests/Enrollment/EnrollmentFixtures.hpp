#pragma once

#include "VeltoDevice/Enrollment/Enrollment.hpp"
#include "VeltoDevice/Enrollment/EnrollmentError.hpp"

#include <boost/url/parse.hpp>
#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace velto {

inline void PrintTo(const Enrollment& enrollment, std::ostream* out) {
    *out << enrollment.toJson().dump();
}

} // namespace velto

namespace velto::testing {

inline boost::urls::url urlOf(std::string_view text) {
    return boost::urls::url(*boost::urls::parse_uri_reference(text));
}

/// An enrollment with every optional field filled.
inline Enrollment sampleEnrollment(const std::string& deviceId = "device-1",
                                   const std::string& organizationId = "org-1",
                                   const std::string& server = "https://velto.example") {
    return Enrollment{
        VeltoServer::fromAddress(server), deviceId,
        Enrollment::Organization{organizationId, "Acme", urlOf("https://cdn.example/acme.png")},
        Enrollment::User{"ada", "Ada Lovelace", "ada@example.com", urlOf("https://cdn.example/ada.png")}};
}

/// The case of the EnrollmentError the operation throws; a test failure when it throws none.
template <typename Operation> EnrollmentError::Case enrollmentErrorOf(Operation operation) {
    try {
        operation();
    } catch (const EnrollmentError& error) {
        return error.kind();
    }
    ADD_FAILURE() << "no EnrollmentError";
    return EnrollmentError::Case::invalidCode;
}

} // namespace velto::testing
