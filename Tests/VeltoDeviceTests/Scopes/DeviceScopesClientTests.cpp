#include "VeltoDevice/HTTP/NonceCache.hpp"
#include "VeltoDevice/Scopes/DeviceScopesClient.hpp"
#include "VeltoDevice/Server/ConnectionError.hpp"
#include "VeltoDevice/Server/ServerError.hpp"
#include "VeltoDevice/Support/Base64URL.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "FixedSigningKey.hpp"
#include "ScriptedTransport.hpp"

namespace velto {
namespace {

using testing::AsyncTestLoop;
using testing::ScriptedTransport;

constexpr const char* recordBody =
    R"({"deviceId":"dev-1","scopes":[{"scope":"sre-questions","isHeld":true,"isAllowed":true}]})";

/// The htm and htu the request's proof was signed for.
std::pair<std::string, std::string> proofTarget(const HTTPRequest& request) {
    std::string proof = request.header("DPoP").value_or("");
    auto first = proof.find('.');
    auto second = proof.find('.', first + 1);
    auto payload = Base64URL::decode(proof.substr(first + 1, second - first - 1));
    auto claims = payload ? parseJson(*payload) : std::nullopt;
    if (!claims)
        return {};
    return {json::string(*claims, "htm").value_or(""), json::string(*claims, "htu").value_or("")};
}

class DeviceScopesClientTest : public ::testing::Test {
protected:
    DeviceScopesClient client() {
        // A nonce in the cache, so that each call sends exactly its own request.
        nonces->store("nonce-1");
        DPoPProofSigner signer(std::make_shared<testing::FixedSigningKey>());
        return {server, DPoPHTTPClient(server, signer, transport, nonces), "dev-1"};
    }

    VeltoServer server = VeltoServer::fromAddress("https://velto.example.com/base");
    std::shared_ptr<ScriptedTransport> transport = std::make_shared<ScriptedTransport>();
    std::shared_ptr<NonceCache> nonces = std::make_shared<NonceCache>();
    AsyncTestLoop loop;
};

TEST_F(DeviceScopesClientTest, FetchSendsASignedGetToTheScopesURL) {
    transport->answer(200, {}, recordBody);
    DeviceScopes record = loop.run(client().fetch());

    EXPECT_EQ(record,
              (DeviceScopes{"dev-1", {{DeviceScope::sreQuestions, true, std::nullopt, std::nullopt, true}}}));
    ASSERT_EQ(transport->requests().size(), 1u);
    const HTTPRequest& request = transport->requests()[0];
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.url.buffer(), "https://velto.example.com/base/api/devices/dev-1/scopes");
    EXPECT_TRUE(request.body.empty());
    EXPECT_FALSE(request.header("Content-Type"));
    EXPECT_EQ(proofTarget(request),
              std::make_pair(std::string("GET"),
                             std::string("https://velto.example.com/base/api/devices/dev-1/scopes")));
}

TEST_F(DeviceScopesClientTest, AnswerPutsTheBodyToTheScopesOwnURL) {
    struct Row {
        DeviceScope scope;
        bool isGranted;
        std::string url;
        std::string body;
    };
    const std::vector<Row> rows = {
        {DeviceScope::sreReach, false, "https://velto.example.com/base/api/devices/dev-1/scopes/sre-reach",
         R"({"isGranted":false})"},
        {DeviceScope::sreQuestions, true,
         "https://velto.example.com/base/api/devices/dev-1/scopes/sre-questions", R"({"isGranted":true})"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.url);
        transport->answer(200, {}, recordBody);
        loop.run(client().answer(row.scope, row.isGranted));
        const HTTPRequest& request = transport->requests().back();
        EXPECT_EQ(request.method, "PUT");
        EXPECT_EQ(request.url.buffer(), row.url);
        EXPECT_EQ(toString(request.body), row.body);
        EXPECT_EQ(request.header("Content-Type"), "application/json");
        EXPECT_EQ(proofTarget(request), std::make_pair(std::string("PUT"), row.url));
    }
}

TEST_F(DeviceScopesClientTest, RepliesOtherThanAGood200Throw) {
    struct Row {
        int status;
        std::string body;
        std::variant<ServerError, ConnectionError> expected;
    };
    const std::vector<Row> rows = {
        {401, recordBody, ConnectionError::revoked()},
        {201, recordBody, ServerError::unexpectedStatus(201)},
        {204, "", ServerError::unexpectedStatus(204)},
        {404, R"({"code":"NOT_FOUND"})", ServerError::unexpectedStatus(404)},
        {500, "", ServerError::unexpectedStatus(500)},
        {200, "not json", ServerError::malformedResponse()},
        {200, R"({"deviceId":"d","scopes":[{"scope":"reviews","isHeld":true}]})",
         ServerError::malformedResponse()},
        {200, "", ServerError::malformedResponse()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.status);
        for (bool answering : {false, true}) {
            transport->answer(row.status, {}, row.body);
            auto operation = answering ? client().answer(DeviceScope::reviews, true) : client().fetch();
            try {
                loop.run(std::move(operation));
                ADD_FAILURE() << "no error";
            } catch (const ServerError& error) {
                ASSERT_TRUE(std::holds_alternative<ServerError>(row.expected)) << error.what();
                EXPECT_EQ(error, std::get<ServerError>(row.expected));
            } catch (const ConnectionError& error) {
                ASSERT_TRUE(std::holds_alternative<ConnectionError>(row.expected)) << error.what();
                EXPECT_EQ(error, std::get<ConnectionError>(row.expected));
            }
        }
    }
}

TEST_F(DeviceScopesClientTest, OversizedRecordIsRefused) {
    // Valid JSON padded past the bound: refused unread rather than parsed.
    std::string body = std::string(R"({"deviceId":"dev-1","scopes":[],"pad":")") +
                       std::string(DeviceScopesClient::maximumBodySize, 'x') + "\"}";
    transport->answer(200, {}, body);
    EXPECT_EQ(
        [&] {
            try {
                loop.run(client().fetch());
            } catch (const ServerError& error) {
                return error.kind();
            }
            return ServerError::Case::missingNonce;
        }(),
        ServerError::Case::malformedResponse);
}

TEST_F(DeviceScopesClientTest, TransportErrorsPassThrough) {
    transport->fail(ServerError::unreachable("offline"));
    EXPECT_THROW(
        {
            try {
                loop.run(client().fetch());
            } catch (const ServerError& error) {
                EXPECT_EQ(error, ServerError::unreachable("offline"));
                throw;
            }
        },
        ServerError);
}

TEST_F(DeviceScopesClientTest, OperationOutlivesTheClient) {
    transport->answer(200, {}, recordBody);
    auto operation = client().fetch();
    EXPECT_EQ(loop.run(std::move(operation)).deviceId, "dev-1");
}

} // namespace
} // namespace velto
