#include "VeltoDevice/CommandLineTool/CommandLineLoginClient.hpp"
#include "VeltoDevice/HTTP/NonceCache.hpp"
#include "VeltoDevice/Server/ConnectionError.hpp"
#include "VeltoDevice/Server/ServerError.hpp"

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "AsyncTestLoop.hpp"
#include "FixedSigningKey.hpp"
#include "ScriptedTransport.hpp"

namespace velto {
namespace {

using testing::AsyncTestLoop;
using testing::ScriptedTransport;

constexpr const char* answer =
    R"({"token":"vlt_abc","expiresAt":"2030-01-01T00:20:00Z","organization":{"name":"Acme","slug":"acme"},"extra":1})";

class CommandLineLoginClientTest : public ::testing::Test {
protected:
    CommandLineLoginClient client() {
        // A nonce in the cache, so that each call sends exactly its own request.
        identity.http.nonces()->store("nonce-1");
        return CommandLineLoginClient(identity, "dev-1");
    }

    using Outcome = std::variant<CommandLineLogin, ServerError, ConnectionError>;
    Outcome login() {
        try {
            return loop.run(client().login());
        } catch (const ServerError& error) {
            return error;
        } catch (const ConnectionError& error) {
            return error;
        }
    }

    VeltoServer server = VeltoServer::fromAddress("https://velto.example.com/base");
    std::shared_ptr<ScriptedTransport> transport = std::make_shared<ScriptedTransport>();
    DeviceIdentity identity{server, std::make_shared<testing::FixedSigningKey>(), transport};
    AsyncTestLoop loop;
};

TEST_F(CommandLineLoginClientTest, ASignedPostOfAnEmptyObjectGivesTheLogin) {
    transport->answer(200, {}, answer);
    EXPECT_EQ(login(), Outcome(CommandLineLogin{"dev-1",
                                                std::string(server.baseURL().buffer()),
                                                "vlt_abc",
                                                "2030-01-01T00:20:00Z",
                                                {"Acme", "acme"}}));
    ASSERT_EQ(transport->requests().size(), 1u);
    const HTTPRequest& request = transport->requests()[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.url.buffer(), "https://velto.example.com/base/api/devices/session");
    EXPECT_EQ(toString(request.body), "{}");
    EXPECT_EQ(request.header("Content-Type"), "application/json");
    EXPECT_TRUE(request.header("DPoP"));
}

TEST_F(CommandLineLoginClientTest, TheServersAnswerDecidesTheError) {
    struct Row {
        const char* name;
        int status;
        std::string body;
        Outcome outcome;
    };
    const Row rows[] = {
        {"revoked", 401, R"({"code":"DEVICES_REVOKED"})", ConnectionError::revoked()},
        {"unknown device, as error", 401, R"({"error":"DEVICES_UNKNOWN_DEVICE"})",
         ConnectionError::revoked()},
        {"unknown device on another status", 403, R"({"code":"DEVICES_UNKNOWN_DEVICE"})",
         ConnectionError::revoked()},
        {"a code wins over the error", 401, R"({"code":"DEVICES_FORBIDDEN","error":"DEVICES_REVOKED"})",
         ServerError::unexpectedStatus(401)},
        {"another code", 401, R"({"code":"DEVICES_INVALID_DPOP_PROOF"})", ServerError::unexpectedStatus(401)},
        {"an empty 500", 500, "", ServerError::unexpectedStatus(500)},
        {"not an error body", 502, "<html>", ServerError::unexpectedStatus(502)},
        {"no slug", 200, R"({"token":"t","expiresAt":"e","organization":{"name":"Acme"}})",
         ServerError::malformedResponse()},
        {"a token of another type", 200,
         R"({"token":7,"expiresAt":"e","organization":{"name":"A","slug":"a"}})",
         ServerError::malformedResponse()},
        {"not JSON", 201, "ok", ServerError::malformedResponse()},
        {"too large", 200, std::string(CommandLineLoginClient::maximumBodySize + 1, ' ') + answer,
         ServerError::malformedResponse()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        transport->answer(row.status, {}, row.body);
        EXPECT_EQ(login(), row.outcome);
    }
}

TEST_F(CommandLineLoginClientTest, TheClientsOwnErrorsPassThrough) {
    transport->fail(ServerError::unreachable("Connection refused"));
    EXPECT_EQ(login(), Outcome(ServerError::unreachable("Connection refused")));
}

} // namespace
} // namespace velto
