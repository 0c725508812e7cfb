#include "VeltoDevice/Enrollment/EnrollmentProposal.hpp"

namespace velto {

std::vector<std::string> EnrollmentProposal::displayCodes() const {
    std::vector<std::string> codes;
    codes.reserve(link.codes().size());
    for (const EnrollmentCode& code : link.codes())
        codes.push_back(code.displayValue());
    return codes;
}

} // namespace velto
