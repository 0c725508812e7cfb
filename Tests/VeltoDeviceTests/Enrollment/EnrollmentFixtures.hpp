#pragma once

#include "VeltoDevice/Enrollment/Enrollment.hpp"

#include <boost/url/parse.hpp>

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

} // namespace velto::testing
