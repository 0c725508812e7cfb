#pragma once

#include "VeltoDevice/Enrollment/CodeRefusal.hpp"
#include "VeltoDevice/Enrollment/JoinedOrganization.hpp"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace velto {

/// The outcome of one approved enrollment, each list in code order.
struct EnrollmentResults {
    std::vector<JoinedOrganization> joined;
    std::vector<CodeRefusal> refusals;

    std::size_t codeCount() const { return joined.size() + refusals.size(); }

    /// Nothing when no code was refused; the reason alone when the only code was refused; otherwise
    /// "N of M codes was/were refused:" followed by one line per refusal, "CODE-DISP: reason".
    std::optional<std::string> refusalSummary() const;

    friend bool operator==(const EnrollmentResults&, const EnrollmentResults&) = default;
};

} // namespace velto
