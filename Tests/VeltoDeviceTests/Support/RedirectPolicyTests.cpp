#include "VeltoDevice/Support/RedirectPolicy.hpp"

#include <boost/url/parse.hpp>
#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace velto {
namespace {

boost::urls::url address(std::string_view text) {
    return boost::urls::url(*boost::urls::parse_absolute_uri(text));
}

TEST(RedirectPolicy, OnlyTheFiveRedirectStatuses) {
    for (int status : {301, 302, 303, 307, 308})
        EXPECT_TRUE(RedirectPolicy::isRedirect(status)) << status;
    for (int status : {200, 204, 300, 304, 305, 306, 309, 404})
        EXPECT_FALSE(RedirectPolicy::isRedirect(status)) << status;
}

TEST(RedirectPolicy, ResolvesEachLocationAgainstTheAddressThatAnswered) {
    const auto from = address("https://files.example/a/b?x=1");
    const struct {
        std::optional<std::string_view> location;
        std::optional<std::string> next;
    } cases[] = {
        {"c", "https://files.example/a/c"},
        {"/c", "https://files.example/c"},
        {"//other.example/d", "https://other.example/d"},
        {"http://plain.example/", "http://plain.example/"},
        {"", std::nullopt},
        {std::nullopt, std::nullopt},
        {"http://[bad", std::nullopt},
    };
    for (const auto& row : cases) {
        RedirectPolicy redirects(1);
        auto next = redirects.follow(from, row.location);
        EXPECT_EQ(next ? std::optional<std::string>(next->buffer()) : std::nullopt, row.next)
            << row.location.value_or("(none)");
    }
}

TEST(RedirectPolicy, FollowsAtMostItsMaximumAndNoLongerLocationThanItsLimit) {
    const auto from = address("https://files.example/");
    RedirectPolicy redirects(2, 12);
    EXPECT_TRUE(redirects.follow(from, "/twelve-char"));
    EXPECT_FALSE(redirects.follow(from, "/thirteen-chr")) << "longer than the limit, not counted";
    EXPECT_TRUE(redirects.follow(from, "/two"));
    EXPECT_FALSE(redirects.follow(from, "/three"));
    EXPECT_FALSE(RedirectPolicy(0).follow(from, "/one"));
}

} // namespace
} // namespace velto
