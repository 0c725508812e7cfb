#pragma once

#include "VeltoDevice/LoginItem/LoginItemRefusal.hpp"
#include "VeltoDevice/LoginItem/LoginItemState.hpp"

#include <optional>

namespace velto {

/// The outcome of the setup step for opening at login.
struct LoginItemAnswer {
    enum class Case { notTurnedOn, finished, awaitingApproval };

    Case kind = Case::finished;
    /// The refusal of `notTurnedOn`.
    std::optional<LoginItemRefusal> refusal;

    static LoginItemAnswer notTurnedOn(LoginItemRefusal refusal) {
        return {Case::notTurnedOn, std::move(refusal)};
    }
    static LoginItemAnswer finished() { return {Case::finished, std::nullopt}; }
    static LoginItemAnswer awaitingApproval() { return {Case::awaitingApproval, std::nullopt}; }

    /// Not wanted: finished; a refusal: notTurnedOn with it; on: finished; needsApproval:
    /// awaitingApproval; off and unavailable: notTurnedOn with a refusal to open at login, no reason.
    static LoginItemAnswer of(bool wantsLogin, const std::optional<LoginItemRefusal>& refusal,
                              LoginItemState state);

    friend bool operator==(const LoginItemAnswer&, const LoginItemAnswer&) = default;
};

} // namespace velto
