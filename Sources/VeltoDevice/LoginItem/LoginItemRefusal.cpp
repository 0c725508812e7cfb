#include "VeltoDevice/LoginItem/LoginItemRefusal.hpp"

namespace velto {

std::string LoginItemRefusal::message() const {
    std::string text = opensAtLogin ? "macOS did not add Velto to your login items."
                                    : "macOS did not remove Velto from your login items.";
    if (reason)
        text += " " + *reason;
    return text;
}

bool LoginItemRefusal::isSettled(LoginItemState state) const {
    return state == (opensAtLogin ? LoginItemState::on : LoginItemState::off);
}

} // namespace velto
