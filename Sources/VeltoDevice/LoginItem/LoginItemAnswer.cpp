#include "VeltoDevice/LoginItem/LoginItemAnswer.hpp"

namespace velto {

LoginItemAnswer LoginItemAnswer::of(bool wantsLogin, const std::optional<LoginItemRefusal>& refusal,
                                    LoginItemState state) {
    if (!wantsLogin)
        return finished();
    if (refusal)
        return notTurnedOn(*refusal);
    switch (state) {
    case LoginItemState::on:
        return finished();
    case LoginItemState::needsApproval:
        return awaitingApproval();
    case LoginItemState::off:
    case LoginItemState::unavailable:
        break;
    }
    return notTurnedOn(LoginItemRefusal{true, std::nullopt});
}

} // namespace velto
