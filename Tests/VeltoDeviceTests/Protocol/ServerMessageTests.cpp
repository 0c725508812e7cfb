#include "VeltoDevice/Protocol/ProtocolError.hpp"
#include "VeltoDevice/Protocol/ServerMessage.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velto {
namespace {

using Offer = ServerMessage::JobOffer;

constexpr std::string_view profileJSON =
    R"({"organization":{"id":"org_1","name":"Acme","photoVersion":"p3"},)"
    R"("user":{"login":"ada","name":"Ada","avatarUrl":"https://a.test/ada.png"}})";

DeviceProfile sampleProfile() {
    return {{"org_1", "Acme", "p3"}, {"ada", "Ada", boost::urls::url("https://a.test/ada.png")}};
}

TEST(ServerMessage, DecodesEveryHandledType) {
    struct Case {
        std::string frame;
        ServerMessage expected;
    };
    const Case cases[] = {
        {R"({"v":1,"type":"welcome","deviceId":"dev_1","nonce":"n1","renewWithinMs":240000,"profile":)" +
             std::string(profileJSON) + "}",
         ServerMessage::welcome({"dev_1", "n1", 240000, sampleProfile()})},
        {R"({"v":1,"type":"welcome","deviceId":"dev_1","nonce":"n1","renewWithinMs":5})",
         ServerMessage::welcome({"dev_1", "n1", 5, std::nullopt})},
        {R"({"type":"renewed","v":1,"nonce":"n2","renewWithinMs":60000,"extra":[1]})",
         ServerMessage::renewed({"n2", 60000})},
        {R"({"v":1,"type":"job.offer","job":{"jobId":"j1","reviewId":"r9","harness":"codex",)"
         R"("repository":{"owner":"acme","name":"api","private":true},"subject":{"kind":"review","id":"r9"},)"
         R"("prompt":"x"}})",
         ServerMessage::jobOffer(Offer{"j1", "r9", "codex", ServerMessage::Repository{"acme", "api"},
                                       ServerMessage::Subject{"review", "r9"}})},
        {R"({"v":1,"type":"job.offer","job":{"jobId":"j2","reviewId":null,"harness":"claude-code"}})",
         ServerMessage::jobOffer(Offer{"j2", std::nullopt, "claude-code", std::nullopt, std::nullopt})},
        {R"({"v":1,"type":"job.offer","job":{"jobId":"j3","harness":"h","repository":null,"subject":null}})",
         ServerMessage::jobOffer(Offer{"j3", std::nullopt, "h", std::nullopt, std::nullopt})},
        {R"({"v":1,"type":"job.cancel","jobId":"j1"})", ServerMessage::jobCancel("j1")},
        {R"({"v":1,"type":"tool.result","jobId":"j1","callId":"c1","ok":false,"result":{"a":[{"b":1}]}})",
         ServerMessage::toolResult({"j1", "c1", false})},
        {R"({"v":1,"type":"update","version":"2.1.0","url":"https://u.test/a.zip","sha256":"ab","signature":"s"})",
         ServerMessage::update({"2.1.0", "https://u.test/a.zip", "ab", "s"})},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ServerMessage::decode(c.frame), c.expected) << c.frame;
}

TEST(ServerMessage, OtherVersionsAndTypesAreUnknownNotErrors) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        // Another version is not read further, even when it is a complete welcome.
        {R"({"v":2,"type":"welcome","deviceId":"d","nonce":"n","renewWithinMs":1})", "welcome"},
        {R"({"v":0,"type":"job.offer","job":"not an object"})", "job.offer"},
        {R"({"v":1,"type":"session.notice","text":"hi"})", "session.notice"},
        {R"({"v":1,"type":"Welcome","deviceId":"d","nonce":"n","renewWithinMs":1})", "Welcome"},
        {R"({"v":1,"type":""})", ""},
    };
    for (const auto& [frame, type] : cases) {
        ServerMessage message = ServerMessage::decode(frame);
        EXPECT_EQ(message, ServerMessage::unknown(std::string(type))) << frame;
        EXPECT_EQ(message.kind(), ServerMessage::Case::unknown);
    }
}

TEST(ServerMessage, AProfileThatDoesNotReadLeavesTheWelcomeStanding) {
    for (std::string_view profile : {
             R"(7)",
             R"(null)",
             R"("profile")",
             R"({"organization":{"id":"org_1"},"user":{"login":"ada"}})",
             R"({"organization":{"id":"org_1","name":"Acme"},"user":{"name":"Ada"}})",
         }) {
        std::string frame =
            R"({"v":1,"type":"welcome","deviceId":"d","nonce":"n","renewWithinMs":1,"profile":)" +
            std::string(profile) + "}";
        EXPECT_EQ(ServerMessage::decode(frame), ServerMessage::welcome({"d", "n", 1, std::nullopt}))
            << profile;
    }
}

TEST(ServerMessage, MalformedFramesFail) {
    const std::vector<std::string> frames = {
        "",
        "not json",
        R"({"v":1,"type":"job.cancel","jobId":"j1")",
        R"([{"v":1,"type":"job.cancel","jobId":"j1"}])",
        R"("welcome")",
        "1",
        // "v" and "type"
        R"({"type":"job.cancel","jobId":"j1"})",
        R"({"v":"1","type":"job.cancel","jobId":"j1"})",
        R"({"v":true,"type":"job.cancel","jobId":"j1"})",
        R"({"v":1.5,"type":"job.cancel","jobId":"j1"})",
        R"({"v":null,"type":"job.cancel","jobId":"j1"})",
        R"({"v":1,"jobId":"j1"})",
        R"({"v":1,"type":7})",
        R"({"v":2,"type":null})",
        // payload keys
        R"({"v":1,"type":"welcome","nonce":"n","renewWithinMs":1})",
        R"({"v":1,"type":"welcome","deviceId":"d","nonce":"n","renewWithinMs":1.5})",
        R"({"v":1,"type":"welcome","deviceId":"d","nonce":"n","renewWithinMs":"1000"})",
        R"({"v":1,"type":"renewed","nonce":"n","renewWithinMs":true})",
        R"({"v":1,"type":"renewed","nonce":5,"renewWithinMs":1})",
        R"({"v":1,"type":"job.offer"})",
        R"({"v":1,"type":"job.offer","job":null})",
        R"({"v":1,"type":"job.offer","job":["j1"]})",
        R"({"v":1,"type":"job.offer","jobId":"j1","harness":"h"})",
        R"({"v":1,"type":"job.offer","job":{"harness":"h"}})",
        R"({"v":1,"type":"job.offer","job":{"jobId":"j1"}})",
        R"({"v":1,"type":"job.offer","job":{"jobId":"j1","harness":"h","reviewId":9}})",
        R"({"v":1,"type":"job.offer","job":{"jobId":"j1","harness":"h","repository":{"owner":"acme"}}})",
        R"({"v":1,"type":"job.offer","job":{"jobId":"j1","harness":"h","repository":"acme/api"}})",
        R"({"v":1,"type":"job.offer","job":{"jobId":"j1","harness":"h","subject":{"kind":"sre-run"}}})",
        R"({"v":1,"type":"job.offer","job":{"jobId":"j1","harness":"h","subject":{"kind":"sre-run","id":3}}})",
        R"({"v":1,"type":"job.cancel"})",
        R"({"v":1,"type":"tool.result","jobId":"j1","callId":"c1","ok":"true"})",
        R"({"v":1,"type":"tool.result","jobId":"j1","callId":"c1","ok":1})",
        R"({"v":1,"type":"tool.result","jobId":"j1","ok":true})",
        R"({"v":1,"type":"update","version":"2.1.0","url":"u","sha256":"ab"})",
        // text that is not UTF-8, or escapes that are no characters
        "{\"v\":1,\"type\":\"job.cancel\",\"jobId\":\"j\xff\"}",
        "{\"v\":1,\"type\":\"job.cancel\",\"jobId\":\"\xc3\x28\"}",
        R"({"v":1,"type":"job.cancel","jobId":"\ud800"})",
        // nested deeper than 512 levels, even in a key nothing reads
        R"({"v":1,"type":"job.cancel","jobId":"j1","extra":)" + std::string(512, '[') +
            std::string(512, ']') + "}",
    };
    for (const std::string& frame : frames) {
        try {
            (void)ServerMessage::decode(frame);
            ADD_FAILURE() << "decoded: " << frame;
        } catch (const ProtocolError& error) {
            EXPECT_EQ(error, ProtocolError::malformedMessage()) << frame;
        }
    }
}

TEST(ProtocolError, Text) {
    EXPECT_STREQ(ProtocolError::malformedMessage().what(), "Velto sent a message this app could not read.");
    EXPECT_EQ(std::hash<ProtocolError>{}(ProtocolError::malformedMessage()),
              std::hash<ProtocolError>{}(ProtocolError::malformedMessage()));
}

TEST(JobOffer, RunnabilityAndDescription) {
    using Repository = ServerMessage::Repository;
    using Subject = ServerMessage::Subject;
    struct Case {
        Offer offer;
        bool runnable;
        std::string_view description;
    };
    const Case cases[] = {
        {{"j", "r1", "codex", Repository{"acme", "api"}, std::nullopt}, true, "acme/api"},
        {{"j", std::nullopt, "codex", Repository{"acme", "api"}, std::nullopt}, false, "acme/api"},
        {{"j", "r1", "codex", std::nullopt, std::nullopt}, false, "a review"},
        {{"j", std::nullopt, "codex", std::nullopt, std::nullopt}, false, "a review"},
        {{"j", std::nullopt, "codex", std::nullopt, Subject{"sre-run", "run_5"}}, true, "SRE run run_5"},
        // A subject decides alone, whatever else the offer names.
        {{"j", "r1", "codex", Repository{"acme", "api"}, Subject{"sre-run", "run_5"}}, true, "SRE run run_5"},
        {{"j", "r1", "codex", Repository{"acme", "api"}, Subject{"sre-question", "q2"}},
         false,
         "sre-question q2"},
        {{"j", "r1", "codex", Repository{"acme", "api"}, Subject{"SRE-RUN", "x"}}, false, "SRE-RUN x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.offer.isRunnable(), c.runnable) << c.description;
        EXPECT_EQ(c.offer.description(), c.description);
    }
    EXPECT_EQ(Offer::runnableSubjectKinds(), (std::set<std::string, std::less<>>{"sre-run"}));
}

} // namespace
} // namespace velto
