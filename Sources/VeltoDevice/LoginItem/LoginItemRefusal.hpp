#pragma once

#include "VeltoDevice/LoginItem/LoginItemState.hpp"

#include <optional>
#include <string>

namespace velto {

/// A change of the login item that did not happen.
struct LoginItemRefusal {
    /// The state the user asked for.
    bool opensAtLogin = false;
    /// The failure's sentence.
    std::optional<std::string> reason;

    /// "Velto could not add itself to your startup applications." (or "... remove itself from ..."),
    /// then one blank and the reason when there is one.
    std::string message() const;
    /// Whether the state is the one asked for: on for opening at login, off otherwise.
    bool isSettled(LoginItemState state) const;

    friend bool operator==(const LoginItemRefusal&, const LoginItemRefusal&) = default;
};

} // namespace velto
