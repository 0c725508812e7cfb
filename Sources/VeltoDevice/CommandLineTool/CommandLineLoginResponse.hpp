#pragma once

#include "VeltoDevice/CommandLineTool/CommandLineLogin.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <optional>
#include <string>

namespace velto {

/// The server's answer to a login request; other members are ignored.
struct CommandLineLoginResponse {
    std::string token;
    std::string expiresAt;
    CommandLineLogin::Organization organization;

    /// Nothing unless "token", "expiresAt" and "organization" (with "name" and "slug") are there as text.
    static std::optional<CommandLineLoginResponse> decode(const Json& value);
};

} // namespace velto
