#pragma once

#include "VeltoDesktop/Model/EnrollmentPrompt.hpp"
#include "VeltoDevice/Enrollment/Enrollment.hpp"
#include "VeltoDevice/Enrollment/EnrollmentGate.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace velto {

/// What the pair step shows, derived from the model's enrollment prompt.
struct PairStage {
    /// An enrollment link waits for the user's confirmation.
    struct Confirming {
        EnrollmentGate gate;
        friend bool operator==(const Confirming&, const Confirming&) = default;
    };
    /// This machine is paired with these organizations; `refusals` sums up codes that were refused.
    struct Paired {
        std::vector<Enrollment> enrollments;
        std::optional<std::string> refusals;
        friend bool operator==(const Paired&, const Paired&) = default;
    };
    /// The enrollment failed with this message.
    struct Failed {
        std::string message;
        friend bool operator==(const Failed&, const Failed&) = default;
    };
    /// The user is to type the server's address.
    struct Address {
        friend bool operator==(const Address&, const Address&) = default;
    };
    /// The pairing page was handed to the browser.
    struct WaitingForBrowser {
        friend bool operator==(const WaitingForBrowser&, const WaitingForBrowser&) = default;
    };
    /// Codes are being spent.
    struct Pairing {
        friend bool operator==(const Pairing&, const Pairing&) = default;
    };

    enum class Case { confirming, paired, failed, address, waitingForBrowser, pairing };

    std::variant<Confirming, Paired, Failed, Address, WaitingForBrowser, Pairing> state = Address{};

    /// confirming gives confirming with the same gate, enrolling pairing, joined paired with the joined
    /// enrollments in order and the refusal summary, failed failed with its text; no prompt gives the
    /// idle stage: paired with `enrollments` when there is any, else waitingForBrowser or address.
    static PairStage of(const std::optional<EnrollmentPrompt>& prompt,
                        const std::vector<Enrollment>& enrollments, bool isWaitingForBrowser);

    Case kind() const { return static_cast<Case>(state.index()); }
    /// "confirming", "paired", "failed", "address", "waitingForBrowser" or "pairing".
    std::string_view name() const;

    template <typename Stage> const Stage* as() const { return std::get_if<Stage>(&state); }

    friend bool operator==(const PairStage&, const PairStage&) = default;
};

} // namespace velto
