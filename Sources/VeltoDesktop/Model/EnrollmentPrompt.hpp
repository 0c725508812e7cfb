#pragma once

#include "VeltoDevice/Enrollment/EnrollmentGate.hpp"
#include "VeltoDevice/Enrollment/EnrollmentProposal.hpp"
#include "VeltoDevice/Enrollment/EnrollmentResults.hpp"

#include <string>
#include <variant>

namespace velto {

/// What the enrollment prompt shows.
struct EnrollmentPrompt {
    /// A link waits for the user's confirmation.
    struct Confirming {
        EnrollmentGate gate;
        friend bool operator==(const Confirming&, const Confirming&) = default;
    };
    /// The codes are being spent.
    struct Enrolling {
        EnrollmentProposal proposal;
        friend bool operator==(const Enrolling&, const Enrolling&) = default;
    };
    /// At least one organization joined.
    struct Joined {
        EnrollmentResults results;
        friend bool operator==(const Joined&, const Joined&) = default;
    };
    /// The link could not be read, or no code joined: the sentence shown.
    struct Failed {
        std::string message;
        friend bool operator==(const Failed&, const Failed&) = default;
    };

    std::variant<Confirming, Enrolling, Joined, Failed> state;

    static EnrollmentPrompt confirming(EnrollmentGate gate) { return {Confirming{std::move(gate)}}; }
    static EnrollmentPrompt enrolling(EnrollmentProposal proposal) {
        return {Enrolling{std::move(proposal)}};
    }
    static EnrollmentPrompt joined(EnrollmentResults results) { return {Joined{std::move(results)}}; }
    static EnrollmentPrompt failed(std::string message) { return {Failed{std::move(message)}}; }

    template <typename Case> const Case* as() const { return std::get_if<Case>(&state); }

    friend bool operator==(const EnrollmentPrompt&, const EnrollmentPrompt&) = default;
};

} // namespace velto
