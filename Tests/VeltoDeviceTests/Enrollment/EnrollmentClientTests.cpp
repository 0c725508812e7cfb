#include "VeltoDevice/Enrollment/EnrollmentClient.hpp"
#include "VeltoDevice/Enrollment/EnrollmentError.hpp"
#include "VeltoDevice/HTTP/NonceCache.hpp"
#include "VeltoDevice/Server/ServerError.hpp"
#include "VeltoDevice/Support/Base64URL.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "EnrollmentFixtures.hpp"
#include "FixedSigningKey.hpp"
#include "ScriptedTransport.hpp"

namespace velto {
namespace {

using testing::AsyncTestLoop;
using testing::ScriptedTransport;

constexpr const char* acceptedBody = R"({"deviceId":"dev-7","organization":{"id":"org-1","name":"Acme",)"
                                     R"("avatarUrl":"https://cdn.example/acme.png"},"user":{"login":"ada",)"
                                     R"("name":"Ada"},"server":{"baseURL":"https://elsewhere.example"},)"
                                     R"("extra":[1,2]})";

/// What `enroll` ended with: the enrollment, or the error it threw.
using Outcome = std::variant<Enrollment, EnrollmentError, ServerError>;

Json proofClaims(const HTTPRequest& request) {
    std::string proof = request.header("DPoP").value_or("");
    auto first = proof.find('.');
    auto second = proof.find('.', first + 1);
    auto payload = Base64URL::decode(proof.substr(first + 1, second - first - 1));
    auto claims = payload ? parseJson(*payload) : std::nullopt;
    return claims.value_or(Json());
}

class EnrollmentClientTest : public ::testing::Test {
protected:
    EnrollmentClient client() {
        DPoPProofSigner signer(std::make_shared<testing::FixedSigningKey>());
        return {server, DPoPHTTPClient(server, signer, transport, nonces)};
    }

    EnrollmentRequest request() {
        return EnrollmentRequest(ApprovedCode{server, EnrollmentCode::fromTyped("7kq2-mx9d")}, "Ada's Mac",
                                 "1.4.2",
                                 {HarnessReport{HarnessKind::codex, std::nullopt, true, std::nullopt}});
    }

    Outcome enroll() {
        try {
            return loop.run(client().enroll(request()));
        } catch (const EnrollmentError& error) {
            return error;
        } catch (const ServerError& error) {
            return error;
        }
    }

    VeltoServer server = VeltoServer::fromAddress("https://velto.example.com/base");
    std::shared_ptr<ScriptedTransport> transport = std::make_shared<ScriptedTransport>();
    std::shared_ptr<NonceCache> nonces = std::make_shared<NonceCache>();
    AsyncTestLoop loop;
};

TEST_F(EnrollmentClientTest, PostsTheSignedRequestAfterFetchingANonce) {
    transport->answer(200, {{"DPoP-Nonce", "n-1"}}).answer(201, {}, acceptedBody);
    Outcome outcome = enroll();
    ASSERT_TRUE(std::holds_alternative<Enrollment>(outcome));

    ASSERT_EQ(transport->requests().size(), 2u);
    const HTTPRequest& nonce = transport->requests()[0];
    EXPECT_EQ(nonce.method, "POST");
    EXPECT_EQ(nonce.url.buffer(), "https://velto.example.com/base/api/devices/nonce");
    EXPECT_FALSE(nonce.header("DPoP"));

    const HTTPRequest& enrolling = transport->requests()[1];
    EXPECT_EQ(enrolling.method, "POST");
    EXPECT_EQ(enrolling.url.buffer(), "https://velto.example.com/base/api/devices/enroll");
    EXPECT_EQ(enrolling.header("Content-Type"), "application/json");
    EXPECT_EQ(toString(enrolling.body),
              R"({"appVersion":"1.4.2","code":"7KQ2MX9D","harnesses":[{"kind":"codex","signedIn":true,)"
              R"("version":null}],"name":"Ada's Mac","platform":"macos"})");
    Json claims = proofClaims(enrolling);
    EXPECT_EQ(claims.value("htm", ""), "POST");
    EXPECT_EQ(claims.value("htu", ""), "https://velto.example.com/base/api/devices/enroll");
    EXPECT_EQ(claims.value("nonce", ""), "n-1");
}

TEST_F(EnrollmentClientTest, TheEnrollmentIsOnTheClientsServerWithTheReplysRecords) {
    transport->answer(200, {{"DPoP-Nonce", "n-1"}}).answer(200, {}, acceptedBody);
    Outcome outcome = enroll();
    ASSERT_TRUE(std::holds_alternative<Enrollment>(outcome));
    EXPECT_EQ(
        std::get<Enrollment>(outcome),
        (Enrollment{server, "dev-7",
                    Enrollment::Organization{"org-1", "Acme", testing::urlOf("https://cdn.example/acme.png")},
                    Enrollment::User{"ada", "Ada", std::nullopt, std::nullopt}}));
}

TEST_F(EnrollmentClientTest, AnAvatarThatCannotBeUsedReadsAsAbsent) {
    // A picture address is decoration: a bad one must not cost the enrollment the code paid for.
    for (std::string avatar : {R"("")", R"("a b")", R"("http://[")", "7", "{}"}) {
        SCOPED_TRACE(avatar);
        transport->answer(200, {{"DPoP-Nonce", "n-1"}})
            .answer(200, {},
                    R"({"deviceId":"dev-7","organization":{"id":"org-1","name":"Acme","avatarUrl":)" +
                        avatar + R"(},"user":{"login":"ada","avatarUrl":)" + avatar + "}}");
        Outcome outcome = enroll();
        ASSERT_TRUE(std::holds_alternative<Enrollment>(outcome));
        EXPECT_EQ(std::get<Enrollment>(outcome),
                  (Enrollment{server, "dev-7", Enrollment::Organization{"org-1", "Acme", std::nullopt},
                              Enrollment::User{"ada", std::nullopt, std::nullopt, std::nullopt}}));
    }
}

TEST_F(EnrollmentClientTest, RepliesAreMappedToTheirErrors) {
    struct Row {
        const char* name;
        int status;
        std::string body;
        Outcome expected;
    };
    const std::vector<Row> rows = {
        {"unusable code, in error only", 400, R"({"error":"DEVICES_CODE_UNUSABLE"})",
         EnrollmentError::codeRejected()},
        {"unknown code wins over a known error", 400, R"({"code":"X","error":"DEVICES_CODE_UNUSABLE"})",
         ServerError::unexpectedStatus(400)},
        {"known code wins over an unknown error", 410, R"({"code":"DEVICES_CODE_UNUSABLE","error":"gone"})",
         EnrollmentError::codeRejected()},
        {"key enrolled", 409, R"({"code":"DEVICES_KEY_ENROLLED"})", EnrollmentError::keyAlreadyEnrolled()},
        {"invalid proof", 401, R"({"code":"DEVICES_INVALID_PROOF"})", EnrollmentError::proofRejected()},
        {"nonce asked outside a 401", 400, R"({"code":"DEVICES_USE_DPOP_NONCE"})",
         EnrollmentError::proofRejected()},
        {"invalid input", 422, R"({"code":"DEVICES_INVALID_INPUT"})", ServerError::malformedResponse()},
        {"the status plays no part", 500, R"({"code":"DEVICES_KEY_ENROLLED"})",
         EnrollmentError::keyAlreadyEnrolled()},
        {"codes compare with case", 400, R"({"code":"devices_code_unusable"})",
         ServerError::unexpectedStatus(400)},
        {"an HTML page", 500, "<html><body>Internal error</body></html>", ServerError::unexpectedStatus(500)},
        {"an empty body", 503, "", ServerError::unexpectedStatus(503)},
        {"an object without either key", 403, R"({"message":"DEVICES_CODE_UNUSABLE"})",
         ServerError::unexpectedStatus(403)},
        {"a JSON array", 400, R"(["DEVICES_CODE_UNUSABLE"])", ServerError::unexpectedStatus(400)},
        {"a code that is not text", 409, R"({"code":42,"error":"DEVICES_KEY_ENROLLED"})",
         ServerError::unexpectedStatus(409)},
        {"an error that is not text", 400, R"({"error":["DEVICES_CODE_UNUSABLE"]})",
         ServerError::unexpectedStatus(400)},
        {"a null code is absent", 409, R"({"code":null,"error":"DEVICES_KEY_ENROLLED"})",
         EnrollmentError::keyAlreadyEnrolled()},
        {"a redirect", 302, "", ServerError::unexpectedStatus(302)},
        {"a 200 without user", 200, R"({"deviceId":"d","organization":{"id":"o","name":"O"}})",
         ServerError::malformedResponse()},
        {"a 200 without organization name", 200,
         R"({"deviceId":"d","organization":{"id":"o"},"user":{"login":"a"}})",
         ServerError::malformedResponse()},
        {"a 200 with a numeric device id", 200,
         R"({"deviceId":7,"organization":{"id":"o","name":"O"},"user":{"login":"a"}})",
         ServerError::malformedResponse()},
        {"a 200 with an empty device id", 200,
         R"({"deviceId":"","organization":{"id":"o","name":"O"},"user":{"login":"a"}})",
         ServerError::malformedResponse()},
        {"a 204 without body", 204, "", ServerError::malformedResponse()},
        {"a 200 that is not JSON", 200, "enrolled", ServerError::malformedResponse()},
        {"a 200 nested deeper than 512 levels", 200,
         R"({"deviceId":"d","organization":{"id":"o","name":"O"},"user":{"login":"a"},"extra":)" +
             std::string(512, '[') + std::string(512, ']') + "}",
         ServerError::malformedResponse()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        nonces->store("n");
        transport->answer(row.status, {}, row.body);
        Outcome outcome = enroll();
        EXPECT_EQ(outcome.index(), row.expected.index());
        if (auto* error = std::get_if<EnrollmentError>(&outcome)) {
            EXPECT_EQ(*error, std::get<EnrollmentError>(row.expected));
        } else if (auto* serverError = std::get_if<ServerError>(&outcome)) {
            EXPECT_EQ(*serverError, std::get<ServerError>(row.expected)) << serverError->what();
        }
    }
}

TEST_F(EnrollmentClientTest, ANonceChallengeStillAnsweredAfterTheRetryIsAProofRejection) {
    const std::string challenge = R"({"code":"DEVICES_USE_DPOP_NONCE"})";
    nonces->store("n-0");
    transport->answer(401, {{"DPoP-Nonce", "n-1"}}, challenge)
        .answer(401, {{"DPoP-Nonce", "n-2"}}, challenge);
    Outcome outcome = enroll();
    ASSERT_TRUE(std::holds_alternative<EnrollmentError>(outcome));
    EXPECT_EQ(std::get<EnrollmentError>(outcome), EnrollmentError::proofRejected());
    ASSERT_EQ(transport->requests().size(), 2u);
    EXPECT_EQ(proofClaims(transport->requests()[1]).value("nonce", ""), "n-1");
}

TEST_F(EnrollmentClientTest, FailuresOfTheSignedClientPassThrough) {
    struct Row {
        const char* name;
        std::function<void(ScriptedTransport&)> script;
        ServerError expected;
    };
    const std::vector<Row> rows = {
        {"unreachable", [](ScriptedTransport& t) { t.fail(ServerError::unreachable("offline")); },
         ServerError::unreachable("offline")},
        {"nonce refused", [](ScriptedTransport& t) { t.answer(503); }, ServerError::unexpectedStatus(503)},
        {"no nonce", [](ScriptedTransport& t) { t.answer(200, {}, "{}"); }, ServerError::missingNonce()},
        {"enroll unreachable",
         [](ScriptedTransport& t) {
             t.answer(200, {{"DPoP-Nonce", "n"}}).fail(ServerError::unreachable("reset"));
         },
         ServerError::unreachable("reset")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        row.script(*transport);
        Outcome outcome = enroll();
        ASSERT_TRUE(std::holds_alternative<ServerError>(outcome));
        EXPECT_EQ(std::get<ServerError>(outcome), row.expected);
    }
}

TEST_F(EnrollmentClientTest, OperationOutlivesTheClientAndTheRequest) {
    nonces->store("n");
    transport->answer(200, {}, acceptedBody);
    auto operation = client().enroll(request());
    EXPECT_EQ(loop.run(std::move(operation)).deviceId, "dev-7");
}

TEST_F(EnrollmentClientTest, ABodyThatCannotBeWrittenCostsNoRequest) {
    EnrollmentRequest unwritable = request();
    unwritable.name = "\xff\xfe";
    EXPECT_THROW(loop.run(client().enroll(unwritable)), nlohmann::json::type_error);
    EXPECT_TRUE(transport->requests().empty());
}

} // namespace
} // namespace velto
