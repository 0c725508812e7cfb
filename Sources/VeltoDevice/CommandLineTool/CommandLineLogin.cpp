#include "VeltoDevice/CommandLineTool/CommandLineLogin.hpp"

namespace velto {

Json CommandLineLogin::Organization::toJson() const {
    return {{"name", name}, {"slug", slug}};
}

std::optional<CommandLineLogin::Organization> CommandLineLogin::Organization::decode(const Json& value) {
    auto name = json::string(value, "name");
    auto slug = json::string(value, "slug");
    if (!name || !slug)
        return std::nullopt;
    return Organization{std::move(*name), std::move(*slug)};
}

Json CommandLineLogin::toJson() const {
    return {{"deviceId", deviceId},
            {"url", url},
            {"token", token},
            {"expiresAt", expiresAt},
            {"organization", organization.toJson()}};
}

std::optional<CommandLineLogin> CommandLineLogin::decode(const Json& value) {
    auto deviceId = json::string(value, "deviceId");
    auto url = json::string(value, "url");
    auto token = json::string(value, "token");
    auto expiresAt = json::string(value, "expiresAt");
    if (!deviceId || !url || !token || !expiresAt || !json::has(value, "organization"))
        return std::nullopt;
    auto organization = Organization::decode(value["organization"]);
    if (!organization)
        return std::nullopt;
    return CommandLineLogin{std::move(*deviceId), std::move(*url), std::move(*token), std::move(*expiresAt),
                            std::move(*organization)};
}

} // namespace velto
