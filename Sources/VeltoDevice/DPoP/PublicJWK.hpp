#pragma once

#include "VeltoDevice/Keys/P256PublicKey.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <optional>
#include <string>

namespace velto {

/// The public key as a JSON Web Key: kty "EC", crv "P-256", unpadded base64url coordinates.
struct PublicJWK {
    std::string kty;
    std::string crv;
    std::string x;
    std::string y;

    PublicJWK(std::string kty, std::string crv, std::string x, std::string y);
    explicit PublicJWK(const P256PublicKey& publicKey);

    /// Throws DPoPError::malformedKey when a coordinate is not base64url, and std::invalid_argument
    /// when the point is not on P-256.
    P256PublicKey publicKey() const;

    /// RFC 7638 thumbprint, 43 characters.
    std::string thumbprint() const;

    Json toJson() const;
    /// Nothing when a member is missing or not text.
    static std::optional<PublicJWK> fromJson(const Json& value);

    friend bool operator==(const PublicJWK&, const PublicJWK&) = default;
};

} // namespace velto
