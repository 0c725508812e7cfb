#pragma once

#include "VeltoDevice/Enrollment/EnrollmentLink.hpp"

#include <cstddef>
#include <string>
#include <vector>

namespace velto {

/// A link shown to the user for review before any of its codes is spent.
struct EnrollmentProposal {
    EnrollmentLink link;

    /// The link's codes in order, each in display form ("7KQ2-MX9D").
    std::vector<std::string> displayCodes() const;
    /// One organization per code.
    std::size_t organizationCount() const { return link.codes().size(); }

    friend bool operator==(const EnrollmentProposal&, const EnrollmentProposal&) = default;
};

} // namespace velto
