#include "VeltoDevice/LoginItem/LoginItemRefusal.hpp"

namespace velto {

std::string LoginItemRefusal::message() const {
    std::string text = opensAtLogin ? "Velto could not add itself to your startup applications."
                                    : "Velto could not remove itself from your startup applications.";
    if (reason)
        text += " " + *reason;
    return text;
}

bool LoginItemRefusal::isSettled(LoginItemState state) const {
    return state == (opensAtLogin ? LoginItemState::on : LoginItemState::off);
}

} // namespace velto
