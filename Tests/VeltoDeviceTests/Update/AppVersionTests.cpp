#include "VeltoDevice/Update/AppVersion.hpp"

#include <gtest/gtest.h>

#include <unordered_set>

namespace velto {
namespace {

AppVersion version(const char* text) {
    auto parsed = AppVersion::parse(text);
    if (!parsed)
        throw std::invalid_argument(std::string("not a version: ") + text);
    return *parsed;
}

TEST(AppVersion, ParsesDottedNumbersAndKeepsTheTextAsWritten) {
    struct Case {
        const char* text;
        std::vector<std::int64_t> components;
    };
    const Case cases[] = {
        {"1.4.2", {1, 4, 2}}, {"007.1", {7, 1}},
        {"1.2.0", {1, 2}},    {"0", {}},
        {"0.0", {}},          {"0.0.0", {}},
        {"1.0.3", {1, 0, 3}}, {"9223372036854775807", {9223372036854775807}},
    };
    for (const auto& c : cases) {
        auto parsed = AppVersion::parse(c.text);
        ASSERT_TRUE(parsed.has_value()) << c.text;
        EXPECT_EQ(parsed->components(), c.components) << c.text;
        EXPECT_EQ(parsed->text(), c.text);
        EXPECT_EQ(parsed->description(), c.text);
    }
}

TEST(AppVersion, RefusesAnythingButDottedNumbers) {
    for (const char* text :
         {"", ".", "1.", ".1", "1..2", "v1.2", "1.2-beta", "+1.2", " 1.2", "1.2 ", "1,2", "\xd9\xa1.2",
          "\xef\xbc\x91.2", "99999999999999999999", "9223372036854775808", "-1"}) {
        EXPECT_FALSE(AppVersion::parse(text).has_value()) << text;
    }
}

TEST(AppVersion, ComparesByItsNumbersWithMissingOnesAsZero) {
    EXPECT_EQ(version("1.2"), version("1.2.0"));
    EXPECT_EQ(version("1.2"), version("1.2.0.0"));
    EXPECT_FALSE(version("1.2") < version("1.2.0"));
    EXPECT_FALSE(version("1.2.0") < version("1.2"));
    EXPECT_LT(version("1.2"), version("1.2.1"));
    EXPECT_GT(version("1.10"), version("1.9"));
    EXPECT_GT(version("2"), version("1.99.99"));
    EXPECT_LE(version("1.2"), version("1.2.0"));
    EXPECT_GE(version("1.2"), version("1.2.0"));
    EXPECT_EQ(version("1.2").text(), "1.2");
    EXPECT_EQ(version("1.2.0").text(), "1.2.0");
}

TEST(AppVersion, ZeroIsBelowEveryRealVersion) {
    EXPECT_EQ(AppVersion::zero().text(), "0.0.0");
    EXPECT_TRUE(AppVersion::zero().components().empty());
    for (const char* text : {"0", "0.0", "0.0.0"}) {
        EXPECT_EQ(version(text), AppVersion::zero()) << text;
        EXPECT_FALSE(version(text) < AppVersion::zero()) << text;
    }
    EXPECT_LT(AppVersion::zero(), version("0.0.1"));
    EXPECT_LT(AppVersion::zero(), version("1"));
}

TEST(AppVersion, HashesAsItCompares) {
    std::unordered_set<AppVersion> versions{version("1.2.0")};
    EXPECT_EQ(versions.count(version("1.2")), 1u);
    EXPECT_EQ(versions.count(version("1.2.1")), 0u);
}

} // namespace
} // namespace velto
