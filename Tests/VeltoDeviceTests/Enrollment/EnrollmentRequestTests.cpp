#include "VeltoDevice/Enrollment/EnrollmentRequest.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velto {
namespace {

ApprovedCode approvedCode(const std::string& typed) {
    return ApprovedCode{VeltoServer::fromAddress("https://velto.example"), EnrollmentCode::fromTyped(typed)};
}

TEST(EnrollmentRequest, WritesEveryKeyWithTheCodesValueAndThePlatform) {
    HarnessModel model{"gpt-5", "GPT-5", {ModelEffort::low, ModelEffort::high}, std::nullopt};
    struct Row {
        std::vector<HarnessReport> harnesses;
        Json expectedHarnesses;
    };
    const std::vector<Row> rows = {
        {{}, Json::array()},
        {{HarnessReport{HarnessKind::claudeCode, "2.0.1", false, std::nullopt},
          HarnessReport{HarnessKind::codex, std::nullopt, true, std::vector<HarnessModel>{model}}},
         Json::parse(R"([{"kind":"claude-code","version":"2.0.1","signedIn":false},
                         {"kind":"codex","version":null,"signedIn":true,
                          "models":[{"id":"gpt-5","name":"GPT-5","efforts":["low","high"],"defaultEffort":null}]}])")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expectedHarnesses.dump());
        EnrollmentRequest request(approvedCode("o0ii lL1a"), "Mac", "2.3", row.harnesses);
        auto sent = parseJson(request.encoded());
        ASSERT_TRUE(sent);
        EXPECT_EQ(*sent, (Json{{"code", "0011111A"},
                               {"name", "Mac"},
                               {"platform", "macos"},
                               {"appVersion", "2.3"},
                               {"harnesses", row.expectedHarnesses}}));
        EXPECT_EQ(EnrollmentRequest::decode(*sent), request);
    }
}

TEST(EnrollmentRequest, DecodingNeedsAllFiveKeys) {
    const Json complete =
        Json::parse(R"({"code":"7KQ2MX9D","name":"Mac","platform":"linux","appVersion":"1","harnesses":[]})");
    auto decoded = EnrollmentRequest::decode(complete);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->platform, "linux");

    for (const char* key : {"code", "name", "platform", "appVersion", "harnesses"}) {
        SCOPED_TRACE(key);
        Json missing = complete;
        missing.erase(key);
        EXPECT_FALSE(EnrollmentRequest::decode(missing));
        Json mistyped = complete;
        mistyped[key] = 5;
        EXPECT_FALSE(EnrollmentRequest::decode(mistyped));
    }
    Json badReport = complete;
    badReport["harnesses"] = Json::parse(R"([{"kind":"vim","signedIn":true}])");
    EXPECT_FALSE(EnrollmentRequest::decode(badReport));
    EXPECT_FALSE(EnrollmentRequest::decode(Json::array()));
}

} // namespace
} // namespace velto
