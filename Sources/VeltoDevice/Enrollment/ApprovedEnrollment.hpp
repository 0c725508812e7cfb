#pragma once

#include "VeltoDevice/Enrollment/ApprovedCode.hpp"
#include "VeltoDevice/Enrollment/EnrollmentLink.hpp"
#include "VeltoDevice/Enrollment/EnrollmentProposal.hpp"
#include "VeltoDevice/Enrollment/EnrollmentResults.hpp"
#include "VeltoDevice/Enrollment/JoinedOrganization.hpp"

#include <boost/asio/awaitable.hpp>

#include <functional>
#include <vector>

namespace velto {

/// A proposal the user confirmed: its codes may now be spent.
struct ApprovedEnrollment {
    /// Spends one code: the organization joined, or an exception whose message is the refusal.
    using Spend = std::function<boost::asio::awaitable<JoinedOrganization>(ApprovedCode)>;

    EnrollmentProposal proposal;

    const EnrollmentLink& link() const { return proposal.link; }
    /// One per code of the link, in link order, each with the link's server.
    std::vector<ApprovedCode> codes() const;

    /// Awaits `spend` for each code in turn, on the caller's executor, never two at once. A code whose
    /// spending throws becomes a refusal carrying the error's message, and the next code is tried; no
    /// code is tried twice. Refusals are never thrown: the only way out other than the results is
    /// operation_aborted, when the spending is cancelled (however the code in flight then failed).
    /// Works on copies, so the approved enrollment may go away before it is awaited.
    boost::asio::awaitable<EnrollmentResults> spendEach(Spend spend) const;

    friend bool operator==(const ApprovedEnrollment&, const ApprovedEnrollment&) = default;
};

} // namespace velto
