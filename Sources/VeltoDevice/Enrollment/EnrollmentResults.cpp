#include "VeltoDevice/Enrollment/EnrollmentResults.hpp"

namespace velto {

std::optional<std::string> EnrollmentResults::refusalSummary() const {
    if (refusals.empty())
        return std::nullopt;
    if (codeCount() < 2)
        return refusals.front().reason;
    std::string summary = std::to_string(refusals.size()) + " of " + std::to_string(codeCount()) + " codes " +
                          (refusals.size() == 1 ? "was" : "were") + " refused:";
    // Appended, not `"x" + std::string`: optimised g++ 12 reports a false overflow inside that operator.
    for (const CodeRefusal& refusal : refusals)
        summary.append("\n").append(refusal.code.displayValue()).append(": ").append(refusal.reason);
    return summary;
}

} // namespace velto
