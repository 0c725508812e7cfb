#include "VeltoDevice/Support/Base64.hpp"

#include <gtest/gtest.h>

namespace velto {
namespace {

TEST(Base64, EncodesWithPaddingInTheStandardAlphabet) {
    struct Case {
        std::string bytes;
        std::string text;
    };
    const Case cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foobar", "Zm9vYmFy"},
        {std::string("\xfb\xff\xfe", 3), "+//+"},
        {std::string("\x00\x01", 2), "AAE="},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Base64::encode(toBytes(c.bytes)), c.text) << c.text;
        auto decoded = Base64::decode(c.text);
        ASSERT_TRUE(decoded.has_value()) << c.text;
        EXPECT_EQ(toString(*decoded), c.bytes);
    }
}

// What OpenSSL's EVP_DecodeBlock would take, and a lenient decoder too: none of it is standard text.
TEST(Base64, RefusesAnythingButWholeQuantaOfTheAlphabet) {
    for (const char* text : {"Zg", "Zm9vY", "Zm9v\n", " Zm9v", "Zm9v ", "Zg=\n", "Zg=a", "Z=g=", "Zm=v",
                             "Zg===", "====", "Zm9v-_8=", "Zm*v", "Zm9v\r\n"}) {
        EXPECT_FALSE(Base64::decode(text).has_value()) << text;
    }
}

} // namespace
} // namespace velto
