#pragma once

#include "VeltoDevice/DPoP/PublicJWK.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <optional>
#include <string>

namespace velto {

/// The JOSE header of a proof: typ "dpop+jwt", alg "ES256" and the device key's public half.
struct DPoPHeader {
    std::string typ;
    std::string alg;
    PublicJWK jwk;

    Json toJson() const;
    /// Nothing when a member is missing or of the wrong type.
    static std::optional<DPoPHeader> fromJson(const Json& value);

    friend bool operator==(const DPoPHeader&, const DPoPHeader&) = default;
};

} // namespace velto
