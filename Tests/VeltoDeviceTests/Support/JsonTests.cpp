#include "VeltoDevice/Support/Json.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velto {
namespace {

TEST(Json, CompactTextSortsKeysAndLeavesSlashesUnescaped) {
    Json value = {{"z", 1}, {"a", {{"y", "https://x.test/a/b"}, {"b", true}}}};
    EXPECT_EQ(encodeCompact(value), R"({"a":{"b":true,"y":"https://x.test/a/b"},"z":1})");
}

TEST(Json, InvalidUTF8IsNotJSON) {
    EXPECT_FALSE(parseJson(std::string_view("{\"a\":\"\xff\"}")).has_value());
    EXPECT_FALSE(parseJson(std::string_view("{")).has_value());
    EXPECT_THROW(encodeCompact(Json(std::string("\xff"))), nlohmann::json::type_error);
}

TEST(Json, TextNestedDeeperThan512LevelsIsRefusedBeforeItIsBuilt) {
    auto nested = [](std::size_t levels) {
        return std::string(levels - 1, '[') + R"({"s":"[{\"]"})" + std::string(levels - 1, ']');
    };
    struct Case {
        std::string text;
        bool parses;
    };
    const std::vector<Case> cases = {
        {nested(512), true},
        {nested(513), false},
        // Brackets inside strings, escaped quotes included, are text, not levels.
        {"[\"" + std::string(2000, '[') + "\\\"" + std::string(2000, '{') + "\"]", true},
        // Refused after the 513th bracket, whatever follows: the minimised input of 16 MiB of "[".
        {std::string(16 * 1024 * 1024, '['), false},
        {std::string(513, '{'), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        EXPECT_EQ(parseJson(c.text).has_value(), c.parses);
        EXPECT_EQ(parseJson(toBytes(c.text)).has_value(), c.parses);
    }
}

TEST(Json, TypedMembersAreStrict) {
    Json value = *parseJson(std::string_view(R"({"i":3,"f":1.5,"w":2.0,"b":true,"s":"t","n":null})"));
    EXPECT_EQ(json::integer(value, "i"), 3);
    EXPECT_EQ(json::integer(value, "w"), 2);
    EXPECT_FALSE(json::integer(value, "f"));
    EXPECT_FALSE(json::integer(value, "b"));
    EXPECT_FALSE(json::integer(value, "s"));
    EXPECT_EQ(json::boolean(value, "b"), true);
    EXPECT_FALSE(json::boolean(value, "i"));
    EXPECT_EQ(json::string(value, "s"), "t");
    EXPECT_FALSE(json::string(value, "n"));
    EXPECT_TRUE(json::isNull(value, "n"));
    EXPECT_FALSE(json::isNull(value, "missing"));
    EXPECT_FALSE(json::has(value, "missing"));
}

} // namespace
} // namespace velto
