#include "VeltoDevice/Enrollment/EnrollmentError.hpp"
#include "VeltoDevice/Enrollment/EnrollmentLink.hpp"
#include "VeltoDevice/Server/ServerError.hpp"

#include <boost/url/parse.hpp>
#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

namespace velto {
namespace {

using Outcome = std::variant<std::vector<std::string>, EnrollmentError::Case, ServerError::Case>;

struct LinkCase {
    const char* name;
    std::string url;
    Outcome outcome; // the codes' values, or the error
    std::string server = "https://velto.example";
};

std::string elevenCodes(bool withRepeat) {
    std::string query;
    for (int i = 0; i < 11; ++i) {
        int symbol = withRepeat && i == 10 ? 0 : i;
        query += "&code=AAAA-AAA" + std::string(1, "0123456789B"[symbol]);
    }
    return query;
}

/// `count` distinct codes, the i-th spelling i in the code alphabet.
std::string distinctCodes(int count) {
    std::string query;
    for (int i = 0; i < count; ++i) {
        std::string code;
        for (int digit = 0, rest = i; digit < 8; ++digit, rest /= 32)
            code.insert(code.begin(), "0123456789ABCDEFGHJKMNPQRSTVWXYZ"[rest % 32]);
        query += "&code=" + code;
    }
    return query;
}

std::vector<std::string> tenCodes() {
    std::vector<std::string> values;
    for (char symbol : std::string("0123456789"))
        values.push_back("AAAAAAA" + std::string(1, symbol));
    return values;
}

const std::string kServer = "server=https://velto.example";
using Codes = std::vector<std::string>;

class EnrollmentLinkURL : public ::testing::TestWithParam<LinkCase> {};

TEST_P(EnrollmentLinkURL, ParsesOrRefuses) {
    const auto& entry = GetParam();
    auto url = boost::urls::parse_uri_reference(entry.url);
    ASSERT_TRUE(url) << entry.url;
    try {
        auto link = EnrollmentLink::fromURL(*url);
        ASSERT_TRUE(std::holds_alternative<Codes>(entry.outcome)) << "accepted " << entry.url;
        Codes values;
        for (const auto& code : link.codes())
            values.push_back(code.value());
        EXPECT_EQ(values, std::get<Codes>(entry.outcome));
        EXPECT_EQ(link.server().baseURL().buffer(), entry.server);
    } catch (const EnrollmentError& error) {
        ASSERT_TRUE(std::holds_alternative<EnrollmentError::Case>(entry.outcome)) << error.what();
        EXPECT_EQ(error.kind(), std::get<EnrollmentError::Case>(entry.outcome));
    } catch (const ServerError& error) {
        ASSERT_TRUE(std::holds_alternative<ServerError::Case>(entry.outcome)) << error.what();
        EXPECT_EQ(error.kind(), std::get<ServerError::Case>(entry.outcome));
    }
}

constexpr auto invalidLink = EnrollmentError::Case::invalidLink;
constexpr auto invalidCode = EnrollmentError::Case::invalidCode;

INSTANTIATE_TEST_SUITE_P(
    Table, EnrollmentLinkURL,
    ::testing::Values(
        LinkCase{"oneCode", "velto://enroll?" + kServer + "&code=7kq2-mx9d", Codes{"7KQ2MX9D"}},
        LinkCase{"codesInLinkOrder", "velto://enroll?code=ZZZZ-ZZZZ&" + kServer + "&code=7KQ2MX9D",
                 Codes{"ZZZZZZZZ", "7KQ2MX9D"}},
        LinkCase{"schemeAndHostInCapitals", "VELTO://Enroll?" + kServer + "&code=7KQ2MX9D",
                 Codes{"7KQ2MX9D"}},
        LinkCase{"otherHost", "velto://join?" + kServer + "&code=7KQ2MX9D", invalidLink},
        LinkCase{"otherScheme", "https://enroll?" + kServer + "&code=7KQ2MX9D", invalidLink},
        LinkCase{"noHost", "velto:enroll?" + kServer + "&code=7KQ2MX9D", invalidLink},
        LinkCase{"noScheme", "//enroll?" + kServer + "&code=7KQ2MX9D", invalidLink},
        // The server item.
        LinkCase{"noServer", "velto://enroll?code=7KQ2MX9D", invalidLink},
        LinkCase{"noQuery", "velto://enroll", invalidLink},
        LinkCase{"emptyQuery", "velto://enroll?", invalidLink},
        // Walking this empty query read past the end of the text.
        LinkCase{"emptyQueryThenFragment", "velto://enroll?#", invalidLink},
        LinkCase{"serverWithoutValue", "velto://enroll?server&code=7KQ2MX9D", invalidLink},
        LinkCase{"emptyServer", "velto://enroll?server=&code=7KQ2MX9D", invalidLink},
        LinkCase{"blankServer", "velto://enroll?server=%20%0A&code=7KQ2MX9D", invalidLink},
        LinkCase{"serverNameIsCaseSensitive", "velto://enroll?Server=https://velto.example&code=7KQ2MX9D",
                 invalidLink},
        LinkCase{"laterServerIgnored",
                 "velto://enroll?" + kServer + "&server=http://other.example&code=7KQ2MX9D",
                 Codes{"7KQ2MX9D"}},
        LinkCase{"percentEncodedServer",
                 "velto://enroll?server=https%3A%2F%2Fvelto.example%2Fbase&code=7KQ2MX9D", Codes{"7KQ2MX9D"},
                 "https://velto.example/base"},
        LinkCase{"insecureServer", "velto://enroll?server=http://velto.example&code=7KQ2MX9D",
                 ServerError::Case::insecureAddress},
        LinkCase{"serverWithoutScheme", "velto://enroll?server=velto.example&code=7KQ2MX9D",
                 ServerError::Case::invalidAddress},
        // Saved as written, it would read back as user information and fail every later load.
        LinkCase{"serverThatWouldReadBackElsewhere", "velto://enroll?server=https://x:./@y&code=7KQ2MX9D",
                 ServerError::Case::invalidAddress},
        LinkCase{"serverCheckedBeforeCodes", "velto://enroll?server=http://velto.example&code=UUUU",
                 ServerError::Case::insecureAddress},
        LinkCase{"serverCheckedBeforeCodeCount", "velto://enroll?server=http://velto.example",
                 ServerError::Case::insecureAddress},
        // The code items.
        LinkCase{"noCode", "velto://enroll?" + kServer, invalidLink},
        LinkCase{"onlyCodesWithoutValue", "velto://enroll?" + kServer + "&code&code", invalidLink},
        LinkCase{"codeWithoutValueSkipped", "velto://enroll?" + kServer + "&code&code=7KQ2MX9D",
                 Codes{"7KQ2MX9D"}},
        LinkCase{"emptyCode", "velto://enroll?" + kServer + "&code=&code=7KQ2MX9D", invalidCode},
        LinkCase{"badCode", "velto://enroll?" + kServer + "&code=7KQ2MX9D&code=7KQ2MX9U", invalidCode},
        LinkCase{"otherItemsIgnored", "velto://enroll?" + kServer + "&Code=UUUU&x=1&code=7KQ2MX9D",
                 Codes{"7KQ2MX9D"}},
        LinkCase{"percentEscapesDecoded", "velto://enroll?" + kServer + "&code=7KQ2%20MX9D",
                 Codes{"7KQ2MX9D"}},
        LinkCase{"plusIsNotASpace", "velto://enroll?" + kServer + "&code=7KQ2+MX9D", invalidCode},
        LinkCase{"repeatFolded", "velto://enroll?" + kServer + "&code=7kq2-mx9d&code=7KQ2MX9D",
                 Codes{"7KQ2MX9D"}},
        LinkCase{"elevenDistinct", "velto://enroll?" + kServer + elevenCodes(false), invalidLink},
        LinkCase{"elevenWithARepeat", "velto://enroll?" + kServer + elevenCodes(true), tenCodes()},
        // Counting stops at the eleventh distinct code instead of comparing all of them with each other.
        LinkCase{"twentyThousandDistinct", "velto://enroll?" + kServer + distinctCodes(20000), invalidLink}),
    [](const auto& parameter) { return std::string(parameter.param.name); });

TEST(EnrollmentLink, FromCodesFoldsRepeatsAndCountsAfterwards) {
    auto server = VeltoServer::fromAddress("https://velto.example");
    auto a = EnrollmentCode::fromTyped("AAAA-AAAA");
    auto b = EnrollmentCode::fromTyped("BBBB-BBBB");
    auto link = EnrollmentLink::fromCodes(server, {b, a, b, a});
    EXPECT_EQ(link.codes(), (std::vector<EnrollmentCode>{b, a}));
    EXPECT_THROW(EnrollmentLink::fromCodes(server, {}), EnrollmentError);

    EnrollmentLink single(server, a);
    EXPECT_EQ(single.codes(), std::vector<EnrollmentCode>{a});
    EXPECT_EQ(single, EnrollmentLink::fromCodes(server, {a, a}));
}

TEST(EnrollmentLink, ParsePastedText) {
    const std::string link = "velto://enroll?" + kServer + "&code=7KQ2-MX9D";
    struct Case {
        std::string pasted;
        bool parses;
    };
    const Case table[] = {
        {link, true},
        {"  \n" + link + " \r\n", true},
        // Unicode white space: ideographic space, no-break space, paragraph separator.
        {"\xE3\x80\x80" + link + "\xC2\xA0\xE2\x80\xA9", true},
        {"not a link", false},
        {"", false},
        {"https://velto.example", false},
        {"velto://enroll?server=http://velto.example&code=7KQ2MX9D", false},
        {"velto://enroll?" + kServer + "&code=UUUU-UUUU", false},
        {"x " + link, false},
    };
    for (const auto& entry : table) {
        auto parsed = EnrollmentLink::parse(entry.pasted);
        EXPECT_EQ(parsed.has_value(), entry.parses) << entry.pasted;
        if (parsed) {
            EXPECT_EQ(parsed->codes().front().value(), "7KQ2MX9D");
        }
    }
}

} // namespace
} // namespace velto
