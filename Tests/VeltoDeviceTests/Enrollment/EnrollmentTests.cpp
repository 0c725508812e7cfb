#include "VeltoDevice/Enrollment/DeviceProfile.hpp"
#include "VeltoDevice/Enrollment/Enrollment.hpp"

#include <gtest/gtest.h>

#include "EnrollmentFixtures.hpp"
#include "ParsedJson.hpp"

namespace velto {
namespace {

using testing::sampleEnrollment;
using testing::urlOf;

using testing::parsed;

TEST(Enrollment, WritesEveryKeyWithTheAvatarSpelling) {
    EXPECT_EQ(sampleEnrollment().toJson(), parsed(R"({
        "server": {"baseURL": "https://velto.example"},
        "deviceId": "device-1",
        "organization": {"id": "org-1", "name": "Acme", "avatarUrl": "https://cdn.example/acme.png"},
        "user": {"login": "ada", "name": "Ada Lovelace", "email": "ada@example.com",
                 "avatarUrl": "https://cdn.example/ada.png"}})"));
}

TEST(Enrollment, LeavesAbsentOptionalsOut) {
    Enrollment bare{VeltoServer::fromAddress("https://velto.example"),
                    "device-1",
                    {"org-1", "Acme", {}},
                    {"ada", {}, {}, {}}};
    EXPECT_EQ(bare.toJson()["organization"], parsed(R"({"id": "org-1", "name": "Acme"})"));
    EXPECT_EQ(bare.toJson()["user"], parsed(R"({"login": "ada"})"));
    EXPECT_EQ(Enrollment::decode(bare.toJson()), bare);
}

TEST(Enrollment, RoundTrips) {
    auto enrollment = sampleEnrollment();
    EXPECT_EQ(Enrollment::decode(enrollment.toJson()), enrollment);
}

struct DecodeCase {
    const char* name;
    const char* json;
    bool decodes;
};

class EnrollmentDecode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(EnrollmentDecode, Table) {
    EXPECT_EQ(Enrollment::decode(parsed(GetParam().json)).has_value(), GetParam().decodes) << GetParam().json;
}

#define SERVER R"("server": {"baseURL": "https://velto.example"})"
#define ORGANIZATION R"("organization": {"id": "org-1", "name": "Acme"})"
#define USER R"("user": {"login": "ada"})"

INSTANTIATE_TEST_SUITE_P(
    Table, EnrollmentDecode,
    ::testing::Values(
        DecodeCase{"minimal", "{" SERVER R"(, "deviceId": "d", )" ORGANIZATION ", " USER "}", true},
        DecodeCase{"nullOptionals",
                   "{" SERVER
                   R"(, "deviceId": "d", "organization": {"id": "o", "name": "n", "avatarUrl": null},
                   "user": {"login": "l", "name": null, "email": null, "avatarUrl": null}})",
                   true},
        DecodeCase{"unknownKeysIgnored",
                   "{" SERVER
                   R"(, "deviceId": "d", "extra": [1], "organization": {"id": "o", "name": "n", "x": 1},
                   "user": {"login": "l", "y": {}}})",
                   true},
        DecodeCase{"missingDeviceId", "{" SERVER ", " ORGANIZATION ", " USER "}", false},
        DecodeCase{"numericDeviceId", "{" SERVER R"(, "deviceId": 7, )" ORGANIZATION ", " USER "}", false},
        DecodeCase{"missingServer", R"({"deviceId": "d", )" ORGANIZATION ", " USER "}", false},
        DecodeCase{"serverAsText",
                   R"({"server": "https://velto.example", "deviceId": "d", )" ORGANIZATION ", " USER "}",
                   false},
        DecodeCase{"insecureServer",
                   R"({"server": {"baseURL": "http://velto.example"}, "deviceId": "d", )" ORGANIZATION
                   ", " USER "}",
                   false},
        DecodeCase{"localCleartextServer",
                   R"({"server": {"baseURL": "http://localhost:3000"}, "deviceId": "d", )" ORGANIZATION
                   ", " USER "}",
                   true},
        DecodeCase{"missingOrganizationName",
                   "{" SERVER R"(, "deviceId": "d", "organization": {"id": "o"}, )" USER "}", false},
        DecodeCase{"missingUser", "{" SERVER R"(, "deviceId": "d", )" ORGANIZATION "}", false},
        DecodeCase{"missingLogin",
                   "{" SERVER R"(, "deviceId": "d", )" ORGANIZATION R"(, "user": {"name": "n"}})", false},
        DecodeCase{"numericUserName",
                   "{" SERVER R"(, "deviceId": "d", )" ORGANIZATION R"(, "user": {"login": "l", "name": 3}})",
                   false},
        DecodeCase{"notAnObject", "[]", false}),
    [](const auto& parameter) { return std::string(parameter.param.name); });

TEST(Enrollment, AvatarThatIsNoURLReadsAsAbsent) {
    // A bad picture address must not cost the whole organization.
    const char* values[] = {R"("")", R"("https://cdn.example/a b.png")", R"("http://[::1")", "42", "{}",
                            "null"};
    for (const char* value : values) {
        auto text = std::string("{") + SERVER +
                    R"(, "deviceId": "d", "organization": {"id": "o", "name": "n", "avatarUrl": )" + value +
                    R"(}, "user": {"login": "l", "avatarUrl": )" + value + "}}";
        auto enrollment = Enrollment::decode(parsed(text));
        ASSERT_TRUE(enrollment) << value;
        EXPECT_FALSE(enrollment->organization.avatarURL) << value;
        EXPECT_FALSE(enrollment->user.avatarURL) << value;
        EXPECT_FALSE(enrollment->toJson()["user"].contains("avatarUrl"));
    }
}

TEST(Enrollment, NestedRecordsDecodeAlone) {
    auto organization =
        Enrollment::Organization::decode(parsed(R"({"id": "o", "name": "n", "avatarUrl": ""})"));
    ASSERT_TRUE(organization);
    EXPECT_EQ(*organization, (Enrollment::Organization{"o", "n", {}}));
    EXPECT_FALSE(Enrollment::Organization::decode(parsed(R"({"id": 1, "name": "n"})")));
    auto user = Enrollment::User::decode(parsed(R"({"login": "l", "email": "e@x.test"})"));
    ASSERT_TRUE(user);
    EXPECT_EQ(*user, (Enrollment::User{"l", {}, "e@x.test", {}}));
}

TEST(Enrollment, EqualityComparesEveryField) {
    auto base = sampleEnrollment();
    std::vector<Enrollment> changed(9, base);
    changed[0].server = VeltoServer::fromAddress("https://other.example");
    changed[1].deviceId = "device-2";
    changed[2].organization.id = "org-2";
    changed[3].organization.name = "Acme Inc";
    changed[4].organization.avatarURL.reset();
    changed[5].user.login = "bob";
    changed[6].user.name.reset();
    changed[7].user.email = "other@example.com";
    changed[8].user.avatarURL = urlOf("https://cdn.example/ADA.png");
    EXPECT_EQ(base, sampleEnrollment());
    for (const auto& other : changed)
        EXPECT_NE(base, other) << other.toJson().dump();
}

TEST(Enrollment, SameOrganization) {
    auto base = sampleEnrollment("device-1", "org-1", "https://velto.example");
    struct Case {
        Enrollment other;
        bool same;
    };
    const Case table[] = {
        {sampleEnrollment("device-2", "org-1", "https://velto.example"), true},
        {[] {
             auto renamed = sampleEnrollment("device-3", "org-1");
             renamed.organization.name = "Renamed";
             renamed.user = {"bob", {}, {}, {}};
             return renamed;
         }(),
         true},
        {sampleEnrollment("device-1", "org-2", "https://velto.example"), false},
        {sampleEnrollment("device-1", "ORG-1", "https://velto.example"), false},
        {sampleEnrollment("device-1", "org-1", "https://other.example"), false},
        {sampleEnrollment("device-1", "org-1", "https://velto.example/base"), false},
    };
    for (const auto& entry : table)
        EXPECT_EQ(base.isSameOrganization(entry.other), entry.same) << entry.other.toJson().dump();
}

DeviceProfile profileOf(const Enrollment& enrollment) {
    return {{enrollment.organization.id, enrollment.organization.name, "v1"},
            {enrollment.user.login, enrollment.user.name, enrollment.user.avatarURL}};
}

TEST(Enrollment, UpdatedWithAProfileOfAnotherOrganizationChangesNothing) {
    auto record = sampleEnrollment();
    DeviceProfile profile{{"org-2", "Other", "v9"}, {"bob", "Bob", urlOf("https://cdn.example/bob.png")}};
    EXPECT_EQ(record.updated(profile), record);
}

TEST(Enrollment, UpdatedTakesNamesLoginAndAvatarFromTheProfile) {
    auto record = sampleEnrollment();
    DeviceProfile profile{{"org-1", "Acme Inc", "v2"},
                          {"ada2", "Ada King", urlOf("https://cdn.example/new.png")}};
    auto expected = record;
    expected.organization.name = "Acme Inc";
    expected.user.login = "ada2";
    expected.user.name = "Ada King";
    expected.user.avatarURL = urlOf("https://cdn.example/new.png");
    EXPECT_EQ(record.updated(profile), expected);
}

TEST(Enrollment, UpdatedClearsWhatTheProfileLacksAndKeepsTheRest) {
    auto record = sampleEnrollment();
    DeviceProfile profile{{"org-1", "Acme", std::nullopt}, {"ada", std::nullopt, std::nullopt}};
    auto result = record.updated(profile);
    EXPECT_FALSE(result.user.name);
    EXPECT_FALSE(result.user.avatarURL);
    EXPECT_EQ(result.user.email, record.user.email);
    ASSERT_TRUE(result.organization.avatarURL);
    EXPECT_EQ(result.organization.avatarURL->buffer(), "https://cdn.example/acme.png");
    EXPECT_EQ(result.server, record.server);
    EXPECT_EQ(result.deviceId, record.deviceId);
}

TEST(Enrollment, UpdatedWithAnEqualProfileIsEqual) {
    auto record = sampleEnrollment();
    EXPECT_EQ(record.updated(profileOf(record)), record);
}

} // namespace
} // namespace velto
