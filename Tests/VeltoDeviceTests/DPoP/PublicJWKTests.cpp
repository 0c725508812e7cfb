#include "VeltoDevice/DPoP/DPoPError.hpp"
#include "VeltoDevice/DPoP/PublicJWK.hpp"
#include "VeltoDevice/Support/Base64URL.hpp"

#include <gtest/gtest.h>

#include "FixedSigningKey.hpp"

namespace velto {
namespace {

constexpr const char* kKnownX = "kZmYrovnLt1jX51EYi-plrDn3SiMUdKPJW4POkLXQHA";
constexpr const char* kKnownY = "ccX1jFVpy3PqI_SEhMJ_50qXHVzBmatVtADaHnowwcQ";

TEST(PublicJWK, FormsTheCoordinatesOfTheKeyAndOpensThemAgain) {
    auto key = testing::FixedSigningKey::known();
    PublicJWK jwk(key.publicKey());

    EXPECT_EQ(jwk, PublicJWK("EC", "P-256", kKnownX, kKnownY));
    EXPECT_EQ(Base64URL::decode(jwk.x)->size(), 32u);
    EXPECT_EQ(Base64URL::decode(jwk.y)->size(), 32u);
    EXPECT_EQ(jwk.publicKey(), key.publicKey());
    EXPECT_EQ(encodeCompact(jwk.toJson()),
              std::string(R"({"crv":"P-256","kty":"EC","x":")") + kKnownX + R"(","y":")" + kKnownY + R"("})");
}

TEST(PublicJWK, CoordinatesWithLeadingZeroBytesKeepTheirFullWidth) {
    // X9.63 coordinates are fixed-width, so a small X still gives 32 bytes (43 characters).
    for (int attempt = 0; attempt < 2000; ++attempt) {
        auto key = P256PrivateKey::generate().publicKey();
        if (key.x963Representation()[1] != 0 && key.x963Representation()[33] != 0)
            continue;
        PublicJWK jwk(key);
        EXPECT_EQ(jwk.x.size(), 43u);
        EXPECT_EQ(jwk.y.size(), 43u);
        EXPECT_EQ(jwk.publicKey(), key);
        return;
    }
    GTEST_SKIP() << "no key with a leading zero coordinate byte came up";
}

TEST(PublicJWK, ThumbprintOfTheKnownKeys) {
    // The example key of RFC 9449 and our own fixed test key.
    EXPECT_EQ(PublicJWK("EC", "P-256", "l8tFrhx-34tV3hRICRDY9zCkDlpBhF42UQUfWVAWBFs",
                        "9VE4jf_Ok_o64zbTTlcuNJajHmt6v9TDVrU0CdvGRDA")
                  .thumbprint(),
              "0ZcOCORZNYy-DWpqq30jZyJGHTN0d2HglBV3uiguA4I");
    PublicJWK known(testing::FixedSigningKey::known().publicKey());
    EXPECT_EQ(known.thumbprint(), "u0qGzJYQvZnD-qCBEE9S4BGM19ADajVwCmIA9sb7f3o");
    EXPECT_EQ(known.thumbprint(), known.thumbprint());
    EXPECT_NE(PublicJWK(P256PrivateKey::generate().publicKey()).thumbprint(), known.thumbprint());
}

TEST(PublicJWK, CoordinatesThatAreNotBase64URLAreAMalformedKey) {
    struct Case {
        std::string x;
        std::string y;
    };
    const Case cases[] = {
        {"not base64url!", kKnownY},
        {kKnownX, "abcde"}, // a length of 1 modulo 4
        {std::string(kKnownX) + "\n", kKnownY},
    };
    for (const auto& c : cases) {
        try {
            PublicJWK("EC", "P-256", c.x, c.y).publicKey();
            ADD_FAILURE() << "opened " << c.x << " " << c.y;
        } catch (const DPoPError& error) {
            EXPECT_EQ(error, DPoPError::malformedKey());
            EXPECT_STREQ(error.what(), "The device key could not be read.");
        }
    }
}

TEST(PublicJWK, APointOffTheCurvePassesTheKeyErrorThrough) {
    std::string y = kKnownY;
    y[0] = y[0] == 'A' ? 'B' : 'A';
    const PublicJWK cases[] = {
        PublicJWK("EC", "P-256", kKnownX, y),      // off the curve
        PublicJWK("EC", "P-256", "AAAA", kKnownY), // too short
    };
    for (const auto& jwk : cases) {
        EXPECT_THROW(jwk.publicKey(), std::invalid_argument) << jwk.x << " " << jwk.y;
    }
}

TEST(PublicJWK, DecodesOnlyWhenEveryMemberIsText) {
    Json whole{{"kty", "EC"}, {"crv", "P-256"}, {"x", kKnownX}, {"y", kKnownY}, {"kid", "ignored"}};
    EXPECT_EQ(PublicJWK::fromJson(whole), PublicJWK("EC", "P-256", kKnownX, kKnownY));
    for (const char* member : {"kty", "crv", "x", "y"}) {
        Json missing = whole;
        missing.erase(member);
        EXPECT_FALSE(PublicJWK::fromJson(missing)) << member;
        Json wrongType = whole;
        wrongType[member] = 1;
        EXPECT_FALSE(PublicJWK::fromJson(wrongType)) << member;
    }
    EXPECT_FALSE(PublicJWK::fromJson(Json::array()));
}

} // namespace
} // namespace velto
