#include "VeltoDevice/DPoP/DPoPHeader.hpp"

namespace velto {

Json DPoPHeader::toJson() const {
    return Json{{"typ", typ}, {"alg", alg}, {"jwk", jwk.toJson()}};
}

std::optional<DPoPHeader> DPoPHeader::fromJson(const Json& value) {
    auto type = json::string(value, "typ");
    auto algorithm = json::string(value, "alg");
    if (!type || !algorithm || !json::has(value, "jwk"))
        return std::nullopt;
    auto key = PublicJWK::fromJson(value.at("jwk"));
    if (!key)
        return std::nullopt;
    return DPoPHeader{std::move(*type), std::move(*algorithm), std::move(*key)};
}

} // namespace velto
