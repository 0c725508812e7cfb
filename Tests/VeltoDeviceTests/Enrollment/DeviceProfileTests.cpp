#include "VeltoDevice/Enrollment/DeviceProfile.hpp"

#include <gtest/gtest.h>

namespace velto {
namespace {

TEST(DeviceProfile, DecodesEveryField) {
    auto profile = DeviceProfile::decode(*parseJson(std::string_view(R"({
        "organization": {"id": "org-1", "name": "Acme", "photoVersion": "v3", "extra": 1},
        "user": {"login": "ada", "name": "Ada", "avatarUrl": "https://cdn.example/ada.png"},
        "unknown": true})")));
    ASSERT_TRUE(profile);
    EXPECT_EQ(profile->organization, (DeviceProfile::Organization{"org-1", "Acme", "v3"}));
    EXPECT_EQ(profile->user.login, "ada");
    EXPECT_EQ(profile->user.name, "Ada");
    ASSERT_TRUE(profile->user.avatarURL);
    EXPECT_EQ(profile->user.avatarURL->buffer(), "https://cdn.example/ada.png");
}

struct ProfileCase {
    const char* name;
    const char* organization;
    const char* user;
    bool decodes;
};

class DeviceProfileDecode : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(DeviceProfileDecode, Table) {
    const auto& entry = GetParam();
    auto text = std::string(R"({"organization": )") + entry.organization + R"(, "user": )" + entry.user + "}";
    EXPECT_EQ(DeviceProfile::decode(*parseJson(text)).has_value(), entry.decodes) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, DeviceProfileDecode,
    ::testing::Values(
        ProfileCase{"minimal", R"({"id": "o", "name": "n"})", R"({"login": "l"})", true},
        ProfileCase{"nulls", R"({"id": "o", "name": "n", "photoVersion": null})",
                    R"({"login": "l", "name": null, "avatarUrl": null})", true},
        ProfileCase{"organizationWithoutName", R"({"id": "o"})", R"({"login": "l"})", false},
        ProfileCase{"organizationWithoutId", R"({"name": "n"})", R"({"login": "l"})", false},
        ProfileCase{"userWithoutLogin", R"({"id": "o", "name": "n"})", R"({"name": "x"})", false},
        ProfileCase{"numericPhotoVersion", R"({"id": "o", "name": "n", "photoVersion": 3})",
                    R"({"login": "l"})", false},
        ProfileCase{"avatarThatIsNoURL", R"({"id": "o", "name": "n"})",
                    R"({"login": "l", "avatarUrl": "a b"})", true},
        ProfileCase{"emptyAvatar", R"({"id": "o", "name": "n"})", R"({"login": "l", "avatarUrl": ""})", true},
        ProfileCase{"numericAvatar", R"({"id": "o", "name": "n"})", R"({"login": "l", "avatarUrl": 5})",
                    false},
        ProfileCase{"organizationNotAnObject", R"("o")", R"({"login": "l"})", false},
        ProfileCase{"userNull", R"({"id": "o", "name": "n"})", "null", false}),
    [](const auto& parameter) { return std::string(parameter.param.name); });

TEST(DeviceProfile, AnAvatarThatIsNoURLReadsAsAbsent) {
    for (const char* avatar : {"", "a b"}) {
        auto profile =
            DeviceProfile::decode(*parseJson(std::string(R"({"organization": {"id": "o", "name": "n"},)") +
                                             R"("user": {"login": "l", "avatarUrl": ")" + avatar + "\"}}"));
        ASSERT_TRUE(profile) << avatar;
        EXPECT_FALSE(profile->user.avatarURL) << avatar;
        EXPECT_EQ(profile->user.login, "l");
    }
}

TEST(DeviceProfile, UpperCaseAvatarKeyIsNotTheAvatar) {
    auto profile = DeviceProfile::decode(*parseJson(std::string_view(
        R"({"organization": {"id": "o", "name": "n"}, "user": {"login": "l", "avatarURL": "https://x.test/a"}})")));
    ASSERT_TRUE(profile);
    EXPECT_FALSE(profile->user.avatarURL);
}

TEST(DeviceProfile, MissingParts) {
    EXPECT_FALSE(
        DeviceProfile::decode(*parseJson(std::string_view(R"({"organization": {"id": "o", "name": "n"}})"))));
    EXPECT_FALSE(DeviceProfile::decode(Json::array()));
}

} // namespace
} // namespace velto
