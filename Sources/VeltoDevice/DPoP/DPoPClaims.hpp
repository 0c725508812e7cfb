#pragma once

#include "VeltoDevice/Support/Json.hpp"

#include <cstdint>
#include <optional>
#include <string>

namespace velto {

/// The claims of a proof. An absent nonce is left out of the JSON, never written as null.
struct DPoPClaims {
    std::string jti;
    std::string htm;
    std::string htu;
    std::int64_t iat = 0;
    std::optional<std::string> nonce;

    Json toJson() const;
    /// Nothing when a member is missing or of the wrong type; a missing or null "nonce" is absent.
    static std::optional<DPoPClaims> fromJson(const Json& value);

    friend bool operator==(const DPoPClaims&, const DPoPClaims&) = default;
};

} // namespace velto
