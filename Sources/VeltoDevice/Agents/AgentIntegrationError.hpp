#pragma once

#include "VeltoDevice/Support/Error.hpp"

#include <string>

namespace velto {

/// A harness command that exited with a failure; its text (the tool's own words, or the command
/// line and " failed.") is the whole sentence the pass reports.
class AgentIntegrationError : public Error {
public:
    enum class Case { refused };

    static AgentIntegrationError refused(std::string text) { return AgentIntegrationError(std::move(text)); }

    Case kind() const { return Case::refused; }
    const std::string& text() const { return description(); }

    friend bool operator==(const AgentIntegrationError& a, const AgentIntegrationError& b) {
        return a.text() == b.text();
    }

private:
    explicit AgentIntegrationError(std::string text) : Error(std::move(text)) {}
};

} // namespace velto
