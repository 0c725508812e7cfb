#include "VeltoDevice/Scopes/DeviceScopes.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ParsedJson.hpp"

namespace velto {
namespace {

using testing::parsed;

TEST(DeviceScopes, DecodesInServerOrderDroppingUnknownScopes) {
    auto record = DeviceScopes::decode(parsed(R"({"deviceId":"dev-1","extra":true,"scopes":[
        {"scope":"sre-reach","isHeld":true,"isAllowed":true,"grantedAt":"2025-01-02T03:04:05Z"},
        {"scope":"future-scope","whatever":1},
        {"scope":"Reviews","isHeld":true},
        {"scope":"reviews","isHeld":false,"isAllowed":false,"grantedAt":null,
         "revokedByOtherAt":"2025-02-01T00:00:00Z","note":"ignored"}]})"));
    ASSERT_TRUE(record);
    EXPECT_EQ(*record,
              (DeviceScopes{"dev-1",
                            {{DeviceScope::sreReach, true, "2025-01-02T03:04:05Z", std::nullopt, true},
                             {DeviceScope::reviews, false, std::nullopt, "2025-02-01T00:00:00Z", false}}}));
}

TEST(DeviceScopes, DecodingFailuresFailTheWholeRecord) {
    const std::vector<std::pair<const char*, const char*>> rows = {
        {"entry without isAllowed", R"({"deviceId":"d","scopes":[{"scope":"reviews","isHeld":true}]})"},
        {"entry without isHeld", R"({"deviceId":"d","scopes":[{"scope":"reviews","isAllowed":true}]})"},
        {"isHeld not a boolean",
         R"({"deviceId":"d","scopes":[{"scope":"reviews","isHeld":1,"isAllowed":true}]})"},
        {"grantedAt not text",
         R"({"deviceId":"d","scopes":[{"scope":"reviews","isHeld":true,"isAllowed":true,"grantedAt":5}]})"},
        {"revokedByOtherAt not text",
         R"({"deviceId":"d","scopes":[{"scope":"reviews","isHeld":true,"isAllowed":true,"revokedByOtherAt":{}}]})"},
        {"entry without scope", R"({"deviceId":"d","scopes":[{"isHeld":true,"isAllowed":true}]})"},
        {"scope not text", R"({"deviceId":"d","scopes":[{"scope":3}]})"},
        {"entry not an object", R"({"deviceId":"d","scopes":["reviews"]})"},
        {"no deviceId", R"({"scopes":[]})"},
        {"deviceId not text", R"({"deviceId":7,"scopes":[]})"},
        {"no scopes", R"({"deviceId":"d"})"},
        {"scopes not an array", R"({"deviceId":"d","scopes":{}})"},
        {"not an object", R"([])"},
    };
    for (const auto& [name, text] : rows) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(DeviceScopes::decode(parsed(text)));
    }
}

TEST(DeviceScopes, FirstEntryOfAScopeAnswers) {
    DeviceScopes record{"d",
                        {{DeviceScope::sreQuestions, true, "t1", std::nullopt, true},
                         {DeviceScope::sreQuestions, false, std::nullopt, "t2", true},
                         {DeviceScope::sreReach, false, std::nullopt, std::nullopt, false}}};
    EXPECT_EQ(record.state(DeviceScope::sreQuestions), record.scopes[0]);
    EXPECT_TRUE(record.holds(DeviceScope::sreQuestions));
    EXPECT_FALSE(record.holds(DeviceScope::sreReach));
    EXPECT_FALSE(record.state(DeviceScope::reviews));
    EXPECT_FALSE(record.holds(DeviceScope::reviews));
}

TEST(DeviceScopes, EncodingLeavesOutAbsentTimestamps) {
    DeviceScopes record{"d",
                        {{DeviceScope::sreInvestigations, true, "t1", std::nullopt, true},
                         {DeviceScope::reviews, false, std::nullopt, std::nullopt, false}}};
    EXPECT_EQ(encodeCompact(record.toJson()),
              R"({"deviceId":"d","scopes":[)"
              R"({"grantedAt":"t1","isAllowed":true,"isHeld":true,"scope":"sre-investigations"},)"
              R"({"isAllowed":false,"isHeld":false,"scope":"reviews"}]})");
    EXPECT_EQ(DeviceScopes::decode(record.toJson()), record);
}

} // namespace
} // namespace velto
