#include "VeltoDevice/Support/Json.hpp"

#include <gtest/gtest.h>

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
