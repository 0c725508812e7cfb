#include "VeltoDevice/HTTP/ConnectionTarget.hpp"

#include <boost/url/parse.hpp>
#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

namespace velto {
namespace {

using Problem = ConnectionTarget::Problem;

std::variant<ConnectionTarget, Problem> parsed(std::string_view text) {
    auto url = boost::urls::parse_uri_reference(text);
    EXPECT_TRUE(url) << text;
    return ConnectionTarget::parse(boost::urls::url(*url), "https", "http");
}

TEST(ConnectionTarget, TakesAURLApartIntoHostPortAuthorityAndRequest) {
    struct Case {
        std::string url;
        bool secure;
        std::string host;
        std::string port;
        std::string authority;
        std::string requestTarget;
    };
    const std::vector<Case> cases = {
        {"https://pictures.example/a/b.png?size=2#top", true, "pictures.example", "443", "pictures.example",
         "/a/b.png?size=2"},
        {"https://pictures.example", true, "pictures.example", "443", "pictures.example", "/"},
        {"https://pictures.example:8443/x", true, "pictures.example", "8443", "pictures.example:8443", "/x"},
        {"HTTP://localhost:3000/x", false, "localhost", "3000", "localhost:3000", "/x"},
        {"http://[::1]:80/", false, "::1", "80", "[::1]:80", "/"},
        {"https://pictures.example:0443/x", true, "pictures.example", "443", "pictures.example:0443", "/x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        auto result = parsed(c.url);
        ASSERT_TRUE(std::holds_alternative<ConnectionTarget>(result));
        const auto& target = std::get<ConnectionTarget>(result);
        EXPECT_EQ(target.secure, c.secure);
        EXPECT_EQ(target.host, c.host);
        EXPECT_EQ(target.port, c.port);
        EXPECT_EQ(target.authority, c.authority);
        EXPECT_EQ(target.requestTarget, c.requestTarget);
    }
}

TEST(ConnectionTarget, RefusesWhatNamesNoPlaceOrAnotherOne) {
    struct Case {
        std::string url;
        Problem problem;
    };
    const std::vector<Case> cases = {
        {"ftp://pictures.example/x", Problem::unknownScheme},
        {"https:///x", Problem::noHost},
        {"http://pictures.example/x", Problem::notEncrypted},
        {"https://pictures.example:0/x", Problem::invalidPort},
        {"https://pictures.example:65536/x", Problem::invalidPort},
        // Read by Boost.URL 1.81 as port 844 with the path "AA/x": the request line would be
        // "GET AA/x".
        {"https://host:844AA/x", Problem::malformed},
        {"https://host:844AA", Problem::malformed},
        {"https://a.test:./8443/x", Problem::malformed},
        {"https://127.0.0.1x/", Problem::malformed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        auto result = parsed(c.url);
        ASSERT_TRUE(std::holds_alternative<Problem>(result));
        EXPECT_EQ(std::get<Problem>(result), c.problem);
    }
}

} // namespace
} // namespace velto
