#include "VeltoDevice/CommandLineTool/CommandLineLoginResponse.hpp"

namespace velto {

std::optional<CommandLineLoginResponse> CommandLineLoginResponse::decode(const Json& value) {
    auto token = json::string(value, "token");
    auto expiresAt = json::string(value, "expiresAt");
    if (!token || !expiresAt || !json::has(value, "organization"))
        return std::nullopt;
    auto organization = CommandLineLogin::Organization::decode(value["organization"]);
    if (!organization)
        return std::nullopt;
    return CommandLineLoginResponse{std::move(*token), std::move(*expiresAt), std::move(*organization)};
}

} // namespace velto
