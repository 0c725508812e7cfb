#pragma once

#include "VeltoDevice/Support/Error.hpp"

namespace velto {

/// The login item cannot be changed for this copy of the application.
class LoginItemError : public Error {
public:
    enum class Case { unavailable };

    static LoginItemError unavailable() { return LoginItemError(); }

    Case kind() const { return Case::unavailable; }

    friend bool operator==(const LoginItemError&, const LoginItemError&) { return true; }

private:
    LoginItemError()
        : Error("This copy of Velto cannot open at login. Start Velto from its Velto.app folder on a "
                "disk that is not read-only.") {}
};

} // namespace velto
