#include "VeltoDevice/Enrollment/EnrollmentError.hpp"
#include "VeltoDevice/Enrollment/EnrollmentRequest.hpp"

#include <boost/url/parse.hpp>

#include "ModelFixture.hpp"

namespace velto {
namespace {

using testing::ModelFixture;
using testing::RoutedTransport;

constexpr const char* threeCodes =
    "velto://enroll?server=https://velto.example&code=AAAA-1111&code=BBBB-2222&code=CCCC-3333";

class EnrollmentTest : public ModelFixture {
protected:
    void propose(const std::string& link) { model->enrollment().propose(std::string_view(link)); }

    /// The codes of the enroll requests sent, in order.
    std::vector<std::string> enrolledCodes() const {
        std::vector<std::string> codes;
        for (const auto& request : services->transport->requests()) {
            if (request.url.path() != "/api/devices/enroll")
                continue;
            auto body = parseJson(std::string(request.body.begin(), request.body.end()));
            codes.push_back(body->at("code").get<std::string>());
        }
        return codes;
    }
};

TEST_F(EnrollmentTest, ThreeCodesWithTheSecondRefusedJoinTwoAndShowOneRefusal) {
    services->transport->route("POST", "/api/devices/enroll",
                               {joined("dev-a", "org-a", "Acme"), refused("DEVICES_CODE_UNUSABLE"),
                                joined("dev-c", "org-c", "Cove")});
    build();
    int shown = 0;
    model->enrollment().setPresentPrompt([&] { ++shown; });
    propose(threeCodes);
    ASSERT_TRUE(model->enrollment().prompt() &&
                model->enrollment().prompt()->as<EnrollmentPrompt::Confirming>());
    EXPECT_EQ(model->enrollment().form().code(), "");
    EXPECT_EQ(model->enrollment().form().serverAddress(), "https://velto.example");
    loop.run(model->enrollment().confirm());

    ASSERT_TRUE(model->enrollment().prompt());
    const auto* joinedPrompt = model->enrollment().prompt()->as<EnrollmentPrompt::Joined>();
    ASSERT_TRUE(joinedPrompt);
    ASSERT_EQ(joinedPrompt->results.joined.size(), 2u);
    ASSERT_EQ(joinedPrompt->results.refusals.size(), 1u);
    EXPECT_EQ(joinedPrompt->results.refusals[0].code.value(), "BBBB2222");
    EXPECT_EQ(joinedPrompt->results.refusals[0].reason, EnrollmentError::codeRejected().description());
    EXPECT_EQ(enrolledCodes(), (std::vector<std::string>{"AAAA1111", "BBBB2222", "CCCC3333"}));
    EXPECT_EQ(rowIds(), (std::vector<std::string>{"dev-a", "dev-c"}));
    EXPECT_EQ(services->saved().size(), 2u);
    EXPECT_FALSE(model->enrollment().inFlight().isSpending());
    EXPECT_EQ(shown, 2);
    // Enrollment failures are shown, not logged.
    for (const auto& line : log->messages("app")) {
        if (line.find("velto command") == std::string::npos) { // no login endpoint in this test
            EXPECT_EQ(line.find("could not"), std::string::npos) << line;
        }
    }
}

TEST_F(EnrollmentTest, EveryCodeRefusedShowsTheSummaryAndOneCodeItsOwnSentence) {
    struct Case {
        const char* link;
        std::string message;
    };
    const auto rejected = EnrollmentError::codeRejected().description();
    const std::vector<Case> cases{
        {threeCodes, "3 of 3 codes were refused:\nAAAA-1111: " + rejected + "\nBBBB-2222: " + rejected +
                         "\nCCCC-3333: " + rejected},
        {"velto://enroll?server=https://velto.example&code=AAAA-1111", rejected},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link);
        services = std::make_shared<testing::TestServices>(loop);
        services->transport->route("POST", "/api/devices/enroll", refused("DEVICES_CODE_UNUSABLE"));
        build();
        propose(c.link);
        loop.run(model->enrollment().confirm());
        ASSERT_TRUE(model->enrollment().prompt());
        const auto* failed = model->enrollment().prompt()->as<EnrollmentPrompt::Failed>();
        ASSERT_TRUE(failed);
        EXPECT_EQ(failed->message, c.message);
        EXPECT_TRUE(model->organizations().rows().empty());
        model.reset();
        loop.drain();
    }
}

TEST_F(EnrollmentTest, TheRequestCarriesTheMachineNameTheVersionAndTheDetectedHarnesses) {
    struct Case {
        std::optional<std::string> pretty;
        std::optional<std::string> host;
        std::string name;
    };
    for (const auto& c : std::vector<Case>{{"Ana's laptop", "ana-x1", "Ana's laptop"},
                                           {std::nullopt, "ana-x1", "ana-x1"},
                                           {std::nullopt, std::nullopt, "Linux computer"}}) {
        SCOPED_TRACE(c.name);
        services = std::make_shared<testing::TestServices>(loop);
        services->naming->pretty = c.pretty;
        services->naming->host = c.host;
        services->detected = {
            HarnessStatus::installed(HarnessKind::codex, "/bin/codex", "0.9", LoginState::signedIn),
            HarnessStatus::notInstalled(HarnessKind::muse)};
        services->transport->route("POST", "/api/devices/enroll", joined("dev-a", "org-a", "Acme"));
        build();
        propose("velto://enroll?server=https://velto.example&code=AAAA-1111");
        loop.run(model->enrollment().confirm());
        EXPECT_EQ(services->detections, 1) << "no harness was known: enrolling detects them first";
        const auto& requests = services->transport->requests();
        auto enrolling = std::find_if(requests.begin(), requests.end(), [](const HTTPRequest& r) {
            return r.url.path() == "/api/devices/enroll";
        });
        ASSERT_NE(enrolling, requests.end());
        const auto& request = *enrolling;
        auto body = *parseJson(std::string(request.body.begin(), request.body.end()));
        EXPECT_EQ(body["name"], c.name);
        EXPECT_EQ(body["platform"], "macos");
        EXPECT_EQ(body["appVersion"], "1.4.2");
        EXPECT_EQ(body["harnesses"], Json::parse(R"([{"kind":"codex","signedIn":true,"version":"0.9"}])"));
        model.reset();
        loop.drain();
    }
}

TEST_F(EnrollmentTest, ALinkWhileSpendingIsIgnoredAndConfirmingTwiceSpendsOnce) {
    services->transport->route("POST", "/api/devices/enroll", joined("dev-a", "org-a", "Acme"));
    build();
    propose("velto://enroll?server=https://velto.example&code=AAAA-1111");
    auto first = loop.spawn(model->enrollment().confirm());
    auto second = loop.spawn(model->enrollment().confirm());
    EXPECT_TRUE(first->done && second->done);
    EXPECT_EQ(enrolledCodes().size(), 1u);

    // While a spend is under way a new link changes nothing.
    services->transport->route("POST", "/api/devices/enroll", joined("dev-b", "org-b", "Bolt"));
    propose("velto://enroll?server=https://velto.example&code=BBBB-2222");
    auto spending = model->enrollment().confirm();
    boost::asio::co_spawn(loop.mainExecutor(), std::move(spending), [](std::exception_ptr) {});
    QCoreApplication::sendPostedEvents();
    ASSERT_TRUE(model->enrollment().inFlight().isSpending());
    propose("velto://enroll?server=https://velto.example&code=CCCC-3333");
    EXPECT_TRUE(model->enrollment().prompt()->as<EnrollmentPrompt::Enrolling>());
    model->enrollment().promptClosed();
    EXPECT_TRUE(model->enrollment().prompt()) << "closing during a spend keeps the prompt";
    loop.drain();
    EXPECT_TRUE(model->enrollment().prompt()->as<EnrollmentPrompt::Joined>());
    model->enrollment().promptClosed();
    EXPECT_FALSE(model->enrollment().prompt());
}

TEST_F(EnrollmentTest, AnInvalidLinkFailsWithTheParsersSentence) {
    build();
    propose("velto://enroll?server=https://velto.example");
    ASSERT_TRUE(model->enrollment().prompt());
    EXPECT_EQ(model->enrollment().prompt()->as<EnrollmentPrompt::Failed>()->message,
              EnrollmentError::invalidLink().description());
    propose("velto://enroll?server=https://velto.example&code=nope");
    EXPECT_EQ(model->enrollment().prompt()->as<EnrollmentPrompt::Failed>()->message,
              EnrollmentError::invalidCode().description());
}

TEST_F(EnrollmentTest, APastedLinkInTheCodeFieldWinsOverTheAddress) {
    build();
    model->enrollment().form().setServerAddress("not an address");
    model->enrollment().form().setCode("  velto://enroll?server=https://velto.example&code=AAAA-1111 ");
    auto link = model->enrollment().form().link();
    EXPECT_EQ(link.codes().size(), 1u);
    EXPECT_EQ(services->standard->text("lastServerAddress"), "not an address");
}

} // namespace
} // namespace velto
