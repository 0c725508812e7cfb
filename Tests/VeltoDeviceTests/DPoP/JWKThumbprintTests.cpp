#include "VeltoDevice/DPoP/JWKThumbprint.hpp"

#include <gtest/gtest.h>

namespace velto {
namespace {

TEST(JWKThumbprint, CanonicalJSONSortsMembersAndEscapesOnlyBackslashAndQuote) {
    struct Case {
        std::map<std::string, std::string> members;
        std::string json;
    };
    const Case cases[] = {
        {{}, "{}"},
        {{{"y", "2"}, {"x", "1"}, {"kty", "EC"}, {"crv", "P-256"}},
         R"({"crv":"P-256","kty":"EC","x":"1","y":"2"})"},
        {{{"a", "say \"hi\""}}, R"({"a":"say \"hi\""})"},
        {{{"a", R"(C:\dir)"}}, R"({"a":"C:\\dir"})"},
        {{{"a", R"(\")"}}, R"({"a":"\\\""})"},
        {{{"q\"k", "v"}}, R"({"q\"k":"v"})"},
        // Nothing else is escaped: slashes, control characters and non-ASCII text stay as they are.
        {{{"a", "/\n\xC3\xA9"}}, "{\"a\":\"/\n\xC3\xA9\"}"},
        // Upper-case letters sort before lower-case ones.
        {{{"b", "1"}, {"B", "2"}, {"a", "3"}}, R"({"B":"2","a":"3","b":"1"})"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JWKThumbprint::canonicalJSON(c.members), c.json);
    }
}

TEST(JWKThumbprint, ComputeIsTheBase64URLSHA256OfTheCanonicalJSON) {
    // SHA-256 of {"a":"b"}, computed independently.
    EXPECT_EQ(JWKThumbprint::compute({{"a", "b"}}), "20p-yxFLxmxiOgbE_2_o2qL0nMJw6796H4HiKrBhyDc");
}

} // namespace
} // namespace velto
