#include "VeltoDevice/DPoP/DPoPClaims.hpp"

namespace velto {

Json DPoPClaims::toJson() const {
    Json value{{"jti", jti}, {"htm", htm}, {"htu", htu}, {"iat", iat}};
    if (nonce)
        value["nonce"] = *nonce;
    return value;
}

std::optional<DPoPClaims> DPoPClaims::fromJson(const Json& value) {
    auto id = json::string(value, "jti");
    auto method = json::string(value, "htm");
    auto target = json::string(value, "htu");
    auto issuedAt = json::integer(value, "iat");
    if (!id || !method || !target || !issuedAt)
        return std::nullopt;
    std::optional<std::string> nonceText;
    if (json::has(value, "nonce") && !json::isNull(value, "nonce")) {
        nonceText = json::string(value, "nonce");
        if (!nonceText)
            return std::nullopt;
    }
    return DPoPClaims{std::move(*id), std::move(*method), std::move(*target), *issuedAt,
                      std::move(nonceText)};
}

} // namespace velto
