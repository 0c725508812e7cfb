#include "VeltoDesktop/Views/EnrollmentPromptPresentation.hpp"
#include "VeltoDevice/Enrollment/EnrollmentCode.hpp"
#include "VeltoDevice/Enrollment/EnrollmentLink.hpp"

#include <boost/url/parse.hpp>
#include <gtest/gtest.h>

namespace velto {
namespace {

EnrollmentLink link(const std::string& query) {
    return EnrollmentLink::fromURL(*boost::urls::parse_uri("velto://enroll?" + query));
}

Enrollment enrollment(const std::string& deviceId, const std::string& name) {
    return {VeltoServer::fromAddress("https://velto.example"),
            deviceId,
            {"org-" + deviceId, name, std::nullopt},
            {"ana", std::nullopt, std::nullopt, std::nullopt}};
}

TEST(EnrollmentPromptPresentationTest, OneCodeAndThreeCodes) {
    EnrollmentPromptPresentation one(EnrollmentPrompt::confirming(
        EnrollmentGate(link("server=https://velto.example:8443&code=7KQ2-MX9D"))));
    EXPECT_EQ(one.stage, EnrollmentPromptPresentation::Stage::confirming);
    EXPECT_EQ(one.headline, "Enroll this computer?");
    EXPECT_EQ(one.codesLabel, "Code");
    EXPECT_EQ(one.codes, QStringList{"7KQ2-MX9D"});
    EXPECT_EQ(one.server->authority, "velto.example:8443");
    EXPECT_FALSE(one.server->cleartextNote);
    EXPECT_TRUE(one.escapeCloses());
    EXPECT_FALSE(one.returnIsDone());
    EXPECT_EQ(EnrollmentPromptPresentation(EnrollmentPrompt::enrolling(EnrollmentProposal{
                                               link("server=https://velto.example:8443&code=7KQ2-MX9D")}))
                  .progressTitle,
              "Enrolling on velto.example:8443\u2026");

    auto three = link("server=http://localhost:3000&code=7KQ2-MX9D&code=AAAA-BBBB&code=CCCC-DDDD");
    EnrollmentPromptPresentation many(EnrollmentPrompt::confirming(EnrollmentGate(three)));
    EXPECT_EQ(many.headline, "Enroll this computer in 3 organizations?");
    EXPECT_EQ(many.codesLabel, "Codes");
    EXPECT_EQ(many.codes.size(), 3);
    EXPECT_EQ(many.server->cleartextNote, "Plain http: allowed only for a server on this computer.");
    EnrollmentPromptPresentation spending(EnrollmentPrompt::enrolling(EnrollmentProposal{three}));
    EXPECT_EQ(spending.progressTitle, "Enrolling in 3 organizations on localhost:3000\u2026");
    EXPECT_FALSE(spending.escapeCloses());
    EXPECT_FALSE(spending.returnIsDone());
}

TEST(EnrollmentPromptPresentationTest, JoinedSummaries) {
    EnrollmentResults single{{{enrollment("d1", "Acme"), std::nullopt}}, {}};
    EnrollmentPromptPresentation one(EnrollmentPrompt::joined(single));
    EXPECT_EQ(one.headline, "This computer joined Acme");
    EXPECT_EQ(one.joinedAs, "As ana in velto.example.");
    EXPECT_FALSE(one.replaced);
    EXPECT_FALSE(one.refusalSummary);
    EXPECT_EQ(one.expectation, "If you did not expect Acme, remove it in Velto's menu.");
    EXPECT_TRUE(one.returnIsDone());
    EXPECT_FALSE(one.escapeCloses());

    EnrollmentResults two{
        {{enrollment("d1", "Acme"), std::nullopt}, {enrollment("d2", "Zeta"), enrollment("d0", "Zeta")}},
        {{EnrollmentCode::fromTyped("AAAA-BBBB"), "The code was already used."}}};
    EnrollmentPromptPresentation both(EnrollmentPrompt::joined(two));
    EXPECT_EQ(both.headline, "This computer joined Acme and Zeta");
    EXPECT_EQ(both.replaced, "Its earlier pairing in Zeta is replaced.");
    EXPECT_EQ(both.expectation, "If you did not expect one of these, remove it in Velto's menu.");
    ASSERT_TRUE(both.refusalSummary);
    EXPECT_TRUE(both.refusalSummary->contains("AAAA-BBBB"));
}

TEST(EnrollmentPromptPresentationTest, FailedAndNone) {
    EnrollmentPromptPresentation failed(EnrollmentPrompt::failed("<b>That link</b> is not a Velto link."));
    EXPECT_EQ(failed.stage, EnrollmentPromptPresentation::Stage::failed);
    EXPECT_EQ(failed.headline, "This computer was not enrolled");
    EXPECT_EQ(failed.message, "<b>That link</b> is not a Velto link.");
    EXPECT_TRUE(failed.escapeCloses());
    EXPECT_EQ(EnrollmentPromptPresentation(std::nullopt).stage, EnrollmentPromptPresentation::Stage::none);
}

} // namespace
} // namespace velto
