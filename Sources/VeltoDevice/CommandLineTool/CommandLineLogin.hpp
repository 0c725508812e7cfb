#pragma once

#include "VeltoDevice/Support/Json.hpp"

#include <optional>
#include <string>

namespace velto {

/// One short-lived login of the velto command for one enrolled organization.
struct CommandLineLogin {
    struct Organization {
        std::string name;
        std::string slug;

        friend bool operator==(const Organization&, const Organization&) = default;

        Json toJson() const;
        /// Nothing unless "name" and "slug" are text.
        static std::optional<Organization> decode(const Json& value);
    };

    /// The enrolled device it belongs to: the store's key.
    std::string deviceId;
    /// The server's base address.
    std::string url;
    std::string token;
    /// The expiry as the server wrote it.
    std::string expiresAt;
    Organization organization;

    friend bool operator==(const CommandLineLogin&, const CommandLineLogin&) = default;

    /// Members named as the fields.
    Json toJson() const;
    /// Nothing unless every member is there with its type.
    static std::optional<CommandLineLogin> decode(const Json& value);
};

} // namespace velto
