#include "VeltoDevice/DPoP/PublicJWK.hpp"

#include "VeltoDevice/DPoP/DPoPError.hpp"
#include "VeltoDevice/DPoP/JWKThumbprint.hpp"
#include "VeltoDevice/Support/Base64URL.hpp"

namespace velto {

PublicJWK::PublicJWK(std::string kty_, std::string crv_, std::string x_, std::string y_)
    : kty(std::move(kty_)), crv(std::move(crv_)), x(std::move(x_)), y(std::move(y_)) {}

PublicJWK::PublicJWK(const P256PublicKey& publicKey) : kty("EC"), crv("P-256") {
    // X9.63: 0x04, then X and Y of equal length.
    const Bytes& point = publicKey.x963Representation();
    std::size_t n = point.empty() ? 0 : (point.size() - 1) / 2;
    auto begin = point.begin() + (point.empty() ? 0 : 1);
    x = Base64URL::encode(Bytes(begin, begin + static_cast<std::ptrdiff_t>(n)));
    y = Base64URL::encode(Bytes(point.end() - static_cast<std::ptrdiff_t>(n), point.end()));
}

P256PublicKey PublicJWK::publicKey() const {
    auto xBytes = Base64URL::decode(x);
    auto yBytes = Base64URL::decode(y);
    if (!xBytes || !yBytes)
        throw DPoPError::malformedKey();
    Bytes point;
    point.reserve(1 + xBytes->size() + yBytes->size());
    point.push_back(0x04);
    point.insert(point.end(), xBytes->begin(), xBytes->end());
    point.insert(point.end(), yBytes->begin(), yBytes->end());
    return P256PublicKey::fromX963(point);
}

std::string PublicJWK::thumbprint() const {
    return JWKThumbprint::compute({{"crv", crv}, {"kty", kty}, {"x", x}, {"y", y}});
}

Json PublicJWK::toJson() const {
    return Json{{"kty", kty}, {"crv", crv}, {"x", x}, {"y", y}};
}

std::optional<PublicJWK> PublicJWK::fromJson(const Json& value) {
    auto keyType = json::string(value, "kty");
    auto curve = json::string(value, "crv");
    auto xText = json::string(value, "x");
    auto yText = json::string(value, "y");
    if (!keyType || !curve || !xText || !yText)
        return std::nullopt;
    return PublicJWK(std::move(*keyType), std::move(*curve), std::move(*xText), std::move(*yText));
}

} // namespace velto
