#include "VeltoDevice/Support/Base64URL.hpp"

#include <gtest/gtest.h>

namespace velto {
namespace {

TEST(Base64URL, EncodesWithoutPaddingInTheURLAlphabet) {
    struct Case {
        std::string bytes;
        std::string text;
    };
    const Case cases[] = {
        {"", ""},
        {"f", "Zg"},
        {"fo", "Zm8"},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg"},
        {std::string("\xfb\xff\xfe", 3), "-__-"},
        {std::string("\x00\x01", 2), "AAE"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Base64URL::encode(c.bytes), c.text) << c.text;
        auto decoded = Base64URL::decode(c.text);
        ASSERT_TRUE(decoded.has_value()) << c.text;
        EXPECT_EQ(toString(*decoded), c.bytes);
    }
}

TEST(Base64URL, AcceptsPaddingAndRefusesWhatDoesNotDecode) {
    EXPECT_EQ(toString(*Base64URL::decode("Zg==")), "f");
    EXPECT_EQ(toString(*Base64URL::decode("Zm8=")), "fo");
    for (const char* text : {"Zm9vY", "Zg===", "Z=g=", "Zm 9v", "Zm9v\n", "Zm*v", "=Zm9"}) {
        EXPECT_FALSE(Base64URL::decode(text).has_value()) << text;
    }
}

} // namespace
} // namespace velto
