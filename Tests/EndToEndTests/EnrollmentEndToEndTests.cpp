#include "VeltoDevice/Enrollment/ApprovedEnrollment.hpp"
#include "VeltoDevice/Enrollment/EnrollmentProposal.hpp"
#include "VeltoDevice/Enrollment/EnrollmentResults.hpp"
#include "VeltoDevice/Enrollment/HarnessReport.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "EnrolledDeviceTest.hpp"

namespace velto {
namespace {

using namespace std::chrono_literals;
using testing::EnrolledDeviceTest;

using EnrollmentEndToEnd = EnrolledDeviceTest;

std::optional<boost::urls::url> urlOf(std::string_view text) {
    return boost::urls::url(text);
}

TEST_F(EnrollmentEndToEnd, ACodeEnrollsTheNewKeyForItsOrganization) {
    offerCodes(Json::parse(R"([{"code":"7KQ2MX9D",
        "organization":{"id":"org-acme","name":"Acme","avatarUrl":"https://cdn.example/acme.png"},
        "user":{"login":"ada","name":"Ada Lovelace","email":"ada@example.com"}}])"));
    DeviceIdentity identity = newIdentity();
    HarnessModel model{"opus", "Opus", {ModelEffort::low, ModelEffort::max}, ModelEffort::low};
    EnrollmentRequest enrolling(ApprovedCode{server, EnrollmentCode::fromTyped("7kq2 mx9d")}, "Ada's Mac",
                                "1.4.2",
                                {HarnessReport{HarnessKind::claudeCode, "2.1.0", true, std::vector{model}},
                                 HarnessReport{HarnessKind::muse, std::nullopt, false, std::nullopt}});

    Outcome outcome = enroll(identity.http, enrolling);
    ASSERT_TRUE(std::holds_alternative<Enrollment>(outcome));
    Json devices = enrolledDevices();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(std::get<Enrollment>(outcome),
              (Enrollment{server,
                          devices[0]["deviceId"].get<std::string>(),
                          {"org-acme", "Acme", urlOf("https://cdn.example/acme.png")},
                          {"ada", "Ada Lovelace", "ada@example.com", std::nullopt}}));
    // What the peer received, read by its own JSON parser.
    EXPECT_EQ(devices[0]["request"], Json::parse(R"({"code":"7KQ2MX9D","name":"Ada's Mac","platform":"macos",
        "appVersion":"1.4.2","harnesses":[
          {"kind":"claude-code","version":"2.1.0","signedIn":true,
           "models":[{"id":"opus","name":"Opus","efforts":["low","max"],"defaultEffort":"low"}]},
          {"kind":"muse","version":null,"signedIn":false}]})"));
    EXPECT_EQ(devices[0]["jkt"], identity.signer.publicJWK().thumbprint());

    Json seen = peer.stats();
    EXPECT_EQ(seen["nonceRequests"], 1);
    EXPECT_EQ(seen["verifiedProofs"], 1);
    EXPECT_EQ(seen["rejectedProofs"], 0) << seen["rejections"].dump();
}

TEST_F(EnrollmentEndToEnd, ACodeSpentTwiceIsRejectedTheSecondTime) {
    offerCodes({"7KQ2MX9D"});
    enrolled(newIdentity(), "7KQ2-MX9D");

    for (const char* code : {"7KQ2-MX9D", "AAAA-0000"}) {
        SCOPED_TRACE(code);
        Outcome outcome = enroll(newIdentity().http, request(code));
        ASSERT_TRUE(std::holds_alternative<EnrollmentError>(outcome));
        EXPECT_EQ(std::get<EnrollmentError>(outcome), EnrollmentError::codeRejected());
    }
    EXPECT_EQ(enrolledDevices().size(), 1u);
}

TEST_F(EnrollmentEndToEnd, AKeyEnrolledBeforeIsRefusedAndTheCodeStaysUsable) {
    offerCodes({"AAAA0000", "BBBB1111"});
    DeviceIdentity identity = newIdentity();
    enrolled(identity, "AAAA0000");

    Outcome again = enroll(identity.http, request("BBBB1111"));
    ASSERT_TRUE(std::holds_alternative<EnrollmentError>(again));
    EXPECT_EQ(std::get<EnrollmentError>(again), EnrollmentError::keyAlreadyEnrolled());

    enrolled(newIdentity(), "BBBB1111");
    EXPECT_EQ(enrolledDevices().size(), 2u);
}

TEST_F(EnrollmentEndToEnd, RefusedProofsAreProofRejections) {
    struct Row {
        const char* name;
        std::function<void()> arrange;
        DPoPProofSigner::Now now;
    };
    const std::vector<Row> rows = {
        {"a clock ten minutes behind", [] {}, [] { return std::chrono::system_clock::now() - 10min; }},
        {"a nonce asked for again after the retry",
         [this] {
             peer.scriptChallenges({"nonce", "nonce"});
         },
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        offerCodes({"CCCC2222"});
        row.arrange();
        DPoPProofSigner signer(std::make_shared<testing::FixedSigningKey>(), row.now);
        DPoPHTTPClient http(server, signer, transport, std::make_shared<NonceCache>());
        Outcome outcome = enroll(http, request("CCCC2222"));
        ASSERT_TRUE(std::holds_alternative<EnrollmentError>(outcome));
        EXPECT_EQ(std::get<EnrollmentError>(outcome), EnrollmentError::proofRejected());
    }
    Json seen = peer.stats();
    EXPECT_EQ(seen["rejectedProofs"], 1);
    EXPECT_EQ(seen["challengesSent"], 2);
    EXPECT_EQ(enrolledDevices().size(), 0u);
}

TEST_F(EnrollmentEndToEnd, ABodyThePeerRefusesIsAMalformedResponse) {
    offerCodes({"DDDD3333"});
    EnrollmentRequest malformed = request("DDDD3333");
    malformed.code = "DDDD-3333";
    Outcome outcome = enroll(newIdentity().http, malformed);
    ASSERT_TRUE(std::holds_alternative<ServerError>(outcome));
    EXPECT_EQ(std::get<ServerError>(outcome), ServerError::malformedResponse());
}

TEST_F(EnrollmentEndToEnd, EachCodeOfALinkIsSpentInTurnWithANewKey) {
    offerCodes({"AAAA0000", "CCCC2222"});
    std::vector<EnrollmentCode> codes = {EnrollmentCode::fromTyped("AAAA0000"),
                                         EnrollmentCode::fromTyped("BBBB1111"),
                                         EnrollmentCode::fromTyped("CCCC2222")};
    ApprovedEnrollment approved{EnrollmentProposal{EnrollmentLink::fromCodes(server, codes)}};
    auto spend = [this](ApprovedCode code) -> boost::asio::awaitable<JoinedOrganization> {
        DeviceIdentity identity = newIdentity();
        EnrollmentClient client{code.server, identity.http};
        EnrollmentRequest enrolling(code, "Test Mac", "1.0.0", {});
        Enrollment enrollment = co_await client.enroll(std::move(enrolling));
        co_return JoinedOrganization{std::move(enrollment), std::nullopt};
    };

    EnrollmentResults results = loop.run(approved.spendEach(spend));
    ASSERT_EQ(results.joined.size(), 2u);
    EXPECT_EQ(results.joined[0].enrollment.organization.id, "org-AAAA0000");
    EXPECT_EQ(results.joined[1].enrollment.organization.id, "org-CCCC2222");
    EXPECT_EQ(results.refusalSummary(),
              "1 of 3 codes was refused:\nBBBB-1111: " + EnrollmentError::codeRejected().description());

    Json devices = enrolledDevices();
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_NE(devices[0]["jkt"], devices[1]["jkt"]);
}

} // namespace
} // namespace velto
