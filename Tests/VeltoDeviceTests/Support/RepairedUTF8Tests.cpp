#include "VeltoDevice/Support/RepairedUTF8.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velto {
namespace {

TEST(RepairedUTF8, ReplacesEachMaximalIllFormedSubpartOnce) {
    struct Case {
        std::string bytes;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"plain ascii", "plain ascii"},
        {"caf\xc3\xa9 \xf0\x9f\x98\x80", "caf\xc3\xa9 \xf0\x9f\x98\x80"},
        {"a\xffz", "a\uFFFDz"},
        // A truncated sequence is one subpart; the byte that breaks it starts anew.
        {"\xf0\x9f\x98z", "\uFFFDz"},
        {"\xe2\x82\xe2\x82\xac", "\uFFFD\xe2\x82\xac"},
        // A lead byte whose second byte is out of its range stands alone.
        {"\xe0\x80\x80", "\uFFFD\uFFFD\uFFFD"},
        {"\xed\xa0\x80", "\uFFFD\uFFFD\uFFFD"},
        {"\xf4\x90\x80\x80", "\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"\xc1\xbf", "\uFFFD\uFFFD"},
        {"\x80\xbf", "\uFFFD\uFFFD"},
        {"end\xc3", "end\uFFFD"},
        {std::string("nul\0byte", 8), std::string("nul\0byte", 8)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(repairedUTF8(std::string_view(c.bytes)), c.text) << c.bytes;
        EXPECT_EQ(repairedUTF8(Bytes(c.bytes.begin(), c.bytes.end())), c.text) << c.bytes;
    }
}

} // namespace
} // namespace velto
