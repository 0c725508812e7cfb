#pragma once

#include "VeltoDevice/Support/Error.hpp"

#include <string>

namespace velto {

/// The logins file could not be written; the detail is the system's description of why.
class CommandLineLoginError : public Error {
public:
    enum class Case { unwritable };

    static CommandLineLoginError unwritable(std::string detail) {
        return CommandLineLoginError(std::move(detail));
    }

    Case kind() const { return Case::unwritable; }
    const std::string& detail() const { return detail_; }

    friend bool operator==(const CommandLineLoginError& a, const CommandLineLoginError& b) {
        return a.detail_ == b.detail_;
    }

private:
    explicit CommandLineLoginError(std::string detail)
        : Error("Velto could not save the velto command's login: " + detail), detail_(std::move(detail)) {}

    std::string detail_;
};

} // namespace velto
