#include "VeltoDevice/DPoP/DPoPError.hpp"
#include "VeltoDevice/HTTP/DPoPHTTPClient.hpp"
#include "VeltoDevice/Server/ServerError.hpp"
#include "VeltoDevice/Support/Base64URL.hpp"

#include <boost/asio/bind_cancellation_slot.hpp>
#include <boost/asio/cancellation_signal.hpp>
#include <boost/system/system_error.hpp>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "FixedSigningKey.hpp"
#include "ScriptedTransport.hpp"
#include "ThrowingSigningKey.hpp"

namespace velto {
namespace {

using testing::AsyncTestLoop;
using testing::ScriptedTransport;

/// The claims a proof carries, read back without the library's own decoder.
Json claimsOf(const HTTPRequest& request) {
    auto proof = request.header("DPoP");
    if (!proof) {
        ADD_FAILURE() << "no proof on " << request.method << " " << request.url.buffer();
        return Json::object();
    }
    auto first = proof->find('.');
    auto second = proof->find('.', first + 1);
    auto payload = Base64URL::decode(proof->substr(first + 1, second - first - 1));
    if (!payload)
        return Json::object();
    return parseJson(*payload).value_or(Json::object());
}

void expectSigned(const HTTPRequest& request, const std::string& method, const std::string& url,
                  const std::string& nonce) {
    EXPECT_EQ(request.method, method);
    EXPECT_EQ(request.url.buffer(), url);
    EXPECT_EQ(request.timeout, std::chrono::seconds(60));
    Json claims = claimsOf(request);
    EXPECT_EQ(json::string(claims, "htm"), method);
    EXPECT_EQ(json::string(claims, "htu"), url);
    EXPECT_EQ(json::string(claims, "nonce"), nonce);
}

void expectNonceRequest(const HTTPRequest& request) {
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.url.buffer(), "https://velto.example.com/base/api/devices/nonce");
    EXPECT_EQ(request.timeout, std::chrono::seconds(60));
    EXPECT_TRUE(request.headers.empty()) << "first header: " << request.headers.front().first;
    EXPECT_TRUE(request.body.empty());
}

template <typename T> T errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const T& error) {
        return error;
    }
    throw std::logic_error("nothing of the expected type was thrown");
}

class DPoPHTTPClientTest : public ::testing::Test {
protected:
    DPoPHTTPClient makeClient(std::shared_ptr<const DeviceSigningKey> key) {
        int counter = 0;
        DPoPProofSigner signer(
            std::move(key),
            [] { return std::chrono::system_clock::time_point(std::chrono::seconds(1700000000)); },
            [counter]() mutable { return "proof-" + std::to_string(++counter); });
        return DPoPHTTPClient(server, std::move(signer), transport, nonces);
    }

    template <typename T> T run(boost::asio::awaitable<T> operation) {
        return loop.run(std::move(operation));
    }

    const std::vector<HTTPRequest>& sent() const { return transport->requests(); }

    AsyncTestLoop loop;
    VeltoServer server = VeltoServer::fromAddress("https://velto.example.com/base");
    std::shared_ptr<ScriptedTransport> transport = std::make_shared<ScriptedTransport>();
    std::shared_ptr<NonceCache> nonces = std::make_shared<NonceCache>();
    DPoPHTTPClient client =
        makeClient(std::make_shared<testing::FixedSigningKey>(testing::FixedSigningKey::known()));
    const std::string scopesURL = "https://velto.example.com/base/api/devices/dev-1/scopes";
};

TEST_F(DPoPHTTPClientTest, FirstRequestFetchesANonceAndTheNextUsesTheOneHandedBack) {
    transport->answer(200, {{"DPoP-Nonce", "n1"}})
        .answer(200, {{"DPoP-Nonce", "n2"}}, R"({"scopes":[]})")
        .answer(200);

    HTTPReply reply = run(client.get(server.deviceScopesURL("dev-1")));
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(toString(reply.body), R"({"scopes":[]})");
    run(client.get(server.deviceScopesURL("dev-1")));

    ASSERT_EQ(sent().size(), 3u);
    expectNonceRequest(sent()[0]);
    expectSigned(sent()[1], "GET", scopesURL, "n1");
    EXPECT_FALSE(sent()[1].header("Content-Type"));
    EXPECT_TRUE(sent()[1].body.empty());
    expectSigned(sent()[2], "GET", scopesURL, "n2");
    EXPECT_EQ(nonces->take(), std::nullopt);
}

TEST_F(DPoPHTTPClientTest, PostAndPutSendTheirJSONBody) {
    using Call = std::function<boost::asio::awaitable<HTTPReply>(const DPoPHTTPClient&, Bytes)>;
    const std::vector<std::pair<std::string, Call>> calls = {
        {"POST",
         [&](const DPoPHTTPClient& c, Bytes body) { return c.post(server.enrollURL(), std::move(body)); }},
        {"PUT",
         [&](const DPoPHTTPClient& c, Bytes body) { return c.put(server.enrollURL(), std::move(body)); }},
    };
    for (const auto& [method, call] : calls) {
        SCOPED_TRACE(method);
        std::size_t before = sent().size();
        nonces->store("cached");
        transport->answer(201);
        EXPECT_EQ(run(call(client, toBytes(R"({"code":"ABCD-EFGH"})"))).status, 201);
        ASSERT_EQ(sent().size(), before + 1);
        const HTTPRequest& request = sent().back();
        expectSigned(request, method, "https://velto.example.com/base/api/devices/enroll", "cached");
        EXPECT_EQ(request.header("Content-Type"), "application/json");
        EXPECT_EQ(toString(request.body), R"({"code":"ABCD-EFGH"})");
    }
}

TEST_F(DPoPHTTPClientTest, NonceHeaderIsReadWhateverTheCaseOfItsName) {
    for (std::string name : {"DPoP-Nonce", "dpop-nonce", "DPOP-NONCE"}) {
        SCOPED_TRACE(name);
        nonces->store("cached");
        transport->answer(204, {{name, "from-" + name}});
        run(client.get(server.organizationPhotoURL()));
        EXPECT_EQ(nonces->take(), "from-" + name);
    }
}

TEST_F(DPoPHTTPClientTest, ANonceChallengeIsRetriedOnceWithTheNonceItBrought) {
    nonces->store("stale");
    const std::string challenge = R"({"code":"DEVICES_USE_DPOP_NONCE"})";
    transport->answer(401, {{"DPoP-Nonce", "n1"}}, challenge).answer(401, {{"DPoP-Nonce", "n2"}}, challenge);

    HTTPReply reply =
        run(client.put(server.deviceScopeURL("dev-1", "reviews"), toBytes(R"({"granted":true})")));

    // The retry's reply comes back as it is, even when it challenges again.
    EXPECT_EQ(reply.status, 401);
    EXPECT_EQ(reply.header("dpop-nonce"), "n2");
    ASSERT_EQ(sent().size(), 2u);
    const std::string url = "https://velto.example.com/base/api/devices/dev-1/scopes/reviews";
    expectSigned(sent()[0], "PUT", url, "stale");
    expectSigned(sent()[1], "PUT", url, "n1");
    EXPECT_EQ(sent()[1].body, sent()[0].body);
    EXPECT_EQ(sent()[1].header("Content-Type"), "application/json");
    EXPECT_NE(json::string(claimsOf(sent()[1]), "jti"), json::string(claimsOf(sent()[0]), "jti"));
    EXPECT_EQ(nonces->take(), "n2");
    EXPECT_EQ(transport->pending(), 0u);
}

TEST_F(DPoPHTTPClientTest, RetryReplyIsReturnedWhateverItsStatus) {
    nonces->store("stale");
    transport->answer(401, {{"WWW-Authenticate", R"(DPoP error="use_dpop_nonce")"}, {"DPoP-Nonce", "n1"}})
        .answer(200, {}, R"({"ok":true})");
    HTTPReply reply = run(client.get(server.deviceScopesURL("dev-1")));
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(toString(reply.body), R"({"ok":true})");
    ASSERT_EQ(sent().size(), 2u);
    expectSigned(sent()[1], "GET", scopesURL, "n1");
    EXPECT_EQ(nonces->take(), std::nullopt);
}

TEST_F(DPoPHTTPClientTest, AChallengeInTheSecondOfTwoAuthenticateFieldsIsRetried) {
    nonces->store("stale");
    transport
        ->answer(401,
                 {{"WWW-Authenticate", R"(Bearer realm="velto")"},
                  {"WWW-Authenticate", R"(DPoP error="use_dpop_nonce")"},
                  {"DPoP-Nonce", "n1"}},
                 R"({"code":"DEVICES_REVOKED"})")
        .answer(200);
    EXPECT_EQ(run(client.get(server.deviceScopesURL("dev-1"))).status, 200);
    ASSERT_EQ(sent().size(), 2u);
    expectSigned(sent()[0], "GET", scopesURL, "stale");
    expectSigned(sent()[1], "GET", scopesURL, "n1");
}

TEST_F(DPoPHTTPClientTest, NoRetryWithoutANonceToAnswerTheChallenge) {
    const std::string challenge = R"({"code":"DEVICES_USE_DPOP_NONCE"})";
    // An empty nonce header is no nonce: it is neither stored nor used for a retry. Nor is one that is
    // not UTF-8, which no proof could carry.
    const std::vector<ScriptedTransport::Headers> replies = {
        {}, {{"DPoP-Nonce", ""}}, {{"DPoP-Nonce", "\xff"}}, {{"DPoP-Nonce", "n\xc3\x28"}}};
    for (const auto& headers : replies) {
        SCOPED_TRACE(headers.size());
        std::size_t before = sent().size();
        nonces->store("stale");
        transport->answer(401, headers, challenge);
        HTTPReply reply = run(client.get(server.deviceScopesURL("dev-1")));
        EXPECT_EQ(reply.status, 401);
        EXPECT_EQ(toString(reply.body), challenge);
        EXPECT_EQ(sent().size(), before + 1);
        EXPECT_EQ(nonces->take(), std::nullopt);
    }
}

TEST_F(DPoPHTTPClientTest, OtherRepliesAreReturnedAndTheirNonceKept) {
    struct Case {
        int status;
        std::string body;
    };
    const std::vector<Case> cases = {
        {403, R"({"code":"DEVICES_USE_DPOP_NONCE"})"},
        {401, R"({"code":"DEVICES_REVOKED","error":"use_dpop_nonce"})"},
        {500, "oops"},
        {200, ""},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.status);
        std::size_t before = sent().size();
        nonces->store("cached");
        transport->answer(item.status, {{"DPoP-Nonce", "next"}}, item.body);
        HTTPReply reply = run(client.get(server.deviceScopesURL("dev-1")));
        EXPECT_EQ(reply.status, item.status);
        EXPECT_EQ(toString(reply.body), item.body);
        EXPECT_EQ(sent().size(), before + 1);
        EXPECT_EQ(nonces->take(), "next");
    }
}

TEST_F(DPoPHTTPClientTest, FreshNonce) {
    struct Case {
        std::string name;
        int status;
        ScriptedTransport::Headers headers;
        std::string body;
        std::variant<std::string, ServerError> outcome;
    };
    const std::vector<Case> cases = {
        {"header", 200, {{"DPoP-Nonce", "h1"}}, "", std::string("h1")},
        {"header wins over body", 200, {{"dpop-nonce", "h1"}}, R"({"nonce":"b1"})", std::string("h1")},
        {"body of a 201", 201, {}, R"({"nonce":"b1","expiresIn":60})", std::string("b1")},
        {"empty header falls back to body",
         200,
         {{"DPoP-Nonce", ""}},
         R"({"nonce":"b1"})",
         std::string("b1")},
        {"header that is not UTF-8 falls back to body",
         200,
         {{"DPoP-Nonce", "\xff"}},
         R"({"nonce":"b1"})",
         std::string("b1")},
        {"header that is not UTF-8 is no nonce",
         200,
         {{"DPoP-Nonce", "\xff"}},
         "",
         ServerError::missingNonce()},
        {"empty body nonce", 200, {}, R"({"nonce":""})", ServerError::missingNonce()},
        {"empty header and body nonce",
         200,
         {{"DPoP-Nonce", ""}},
         R"({"nonce":""})",
         ServerError::missingNonce()},
        {"no nonce at all", 204, {}, "", ServerError::missingNonce()},
        {"nonce not text", 200, {}, R"({"nonce":42})", ServerError::missingNonce()},
        {"body not JSON", 200, {}, "nonce=b1", ServerError::missingNonce()},
        {"unauthorized",
         401,
         {{"DPoP-Nonce", "h1"}},
         R"({"nonce":"b1"})",
         ServerError::unexpectedStatus(401)},
        {"redirect", 302, {}, "", ServerError::unexpectedStatus(302)},
        {"server error", 503, {}, "", ServerError::unexpectedStatus(503)},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.name);
        std::size_t before = sent().size();
        transport->answer(item.status, item.headers, item.body);
        if (auto* nonce = std::get_if<std::string>(&item.outcome)) {
            EXPECT_EQ(run(client.freshNonce()), *nonce);
        } else {
            ServerError error = errorOf<ServerError>([&] { run(client.freshNonce()); });
            EXPECT_EQ(error, std::get<ServerError>(item.outcome)) << error.what();
        }
        ASSERT_EQ(sent().size(), before + 1);
        expectNonceRequest(sent().back());
        // A fresh nonce goes to the caller, never into the cache.
        EXPECT_EQ(nonces->take(), std::nullopt);
    }
}

TEST_F(DPoPHTTPClientTest, NextNonceTakesTheCachedOneElseFetches) {
    nonces->store("cached");
    EXPECT_EQ(run(client.nextNonce()), "cached");
    EXPECT_TRUE(sent().empty());
    transport->answer(200, {{"DPoP-Nonce", "fresh"}});
    EXPECT_EQ(run(client.nextNonce()), "fresh");
    ASSERT_EQ(sent().size(), 1u);
    expectNonceRequest(sent()[0]);
}

TEST_F(DPoPHTTPClientTest, FailuresEndTheRequest) {
    // The nonce request's failure: nothing is signed or sent after it.
    transport->answer(500);
    EXPECT_EQ(errorOf<ServerError>([&] { run(client.get(server.deviceScopesURL("dev-1"))); }),
              ServerError::unexpectedStatus(500));
    EXPECT_EQ(sent().size(), 1u);

    transport->fail(ServerError::unreachable("The network connection was lost."));
    EXPECT_EQ(errorOf<ServerError>([&] { run(client.get(server.deviceScopesURL("dev-1"))); }),
              ServerError::unreachable("The network connection was lost."));
    EXPECT_EQ(sent().size(), 2u);

    // The transport's failure of the signed request itself.
    nonces->store("cached");
    transport->fail(ServerError::malformedResponse());
    EXPECT_EQ(errorOf<ServerError>([&] { run(client.get(server.deviceScopesURL("dev-1"))); }),
              ServerError::malformedResponse());
    EXPECT_EQ(sent().size(), 3u);

    // The retry's failure is the request's failure.
    nonces->store("cached");
    transport->answer(401, {{"DPoP-Nonce", "n1"}}, R"({"error":"use_dpop_nonce"})")
        .fail(ServerError::unreachable("timed out"));
    EXPECT_EQ(errorOf<ServerError>([&] { run(client.get(server.deviceScopesURL("dev-1"))); }),
              ServerError::unreachable("timed out"));
    EXPECT_EQ(sent().size(), 5u);
}

TEST_F(DPoPHTTPClientTest, ASigningFailureSendsNothingSigned) {
    DPoPHTTPClient refusing = makeClient(std::make_shared<testing::ThrowingSigningKey>());
    transport->answer(200, {{"DPoP-Nonce", "n1"}});
    EXPECT_EQ(errorOf<DPoPError>([&] { run(refusing.post(server.enrollURL(), toBytes("{}"))); }),
              DPoPError::signingFailed());
    ASSERT_EQ(sent().size(), 1u);
    expectNonceRequest(sent()[0]);
}

TEST_F(DPoPHTTPClientTest, RequestsAtTheSameTimeNeverShareANonce) {
    nonces->store("cached");
    transport->answer(200).answer(200, {{"DPoP-Nonce", "fresh"}}).answer(200);
    auto first = loop.spawn(client.get(server.deviceScopesURL("dev-1")));
    auto second = loop.spawn(client.get(server.organizationPhotoURL()));
    loop.drain();
    ASSERT_TRUE(first->done && second->done);
    first->get();
    second->get();

    ASSERT_EQ(sent().size(), 3u);
    expectSigned(sent()[0], "GET", scopesURL, "cached");
    expectNonceRequest(sent()[1]);
    expectSigned(sent()[2], "GET", "https://velto.example.com/base/api/devices/organization-photo", "fresh");
}

TEST_F(DPoPHTTPClientTest, ARequestOutlivesTheClientThatStartedIt) {
    auto temporary = std::make_unique<DPoPHTTPClient>(client);
    transport->answer(200, {{"DPoP-Nonce", "n1"}}).answer(200, {{"DPoP-Nonce", "n2"}});
    auto outcome = loop.spawn(temporary->get(server.deviceScopesURL("dev-1")));
    temporary.reset();
    loop.drain();
    ASSERT_TRUE(outcome->done);
    EXPECT_EQ(outcome->get().status, 200);
    expectSigned(sent().at(1), "GET", scopesURL, "n1");
    EXPECT_EQ(nonces->take(), "n2");
}

TEST_F(DPoPHTTPClientTest, CancellationStaysOperationAborted) {
    nonces->store("cached");
    transport->hang();
    boost::asio::cancellation_signal cancel;
    bool done = false;
    std::exception_ptr failure;
    boost::asio::co_spawn(
        loop.context(), client.get(server.deviceScopesURL("dev-1")),
        boost::asio::bind_cancellation_slot(cancel.slot(), [&](std::exception_ptr error, HTTPReply) {
            failure = error;
            done = true;
        }));
    loop.drain();
    ASSERT_FALSE(done);
    EXPECT_EQ(transport->inFlight(), 1u);
    cancel.emit(boost::asio::cancellation_type::terminal);
    loop.drain();
    ASSERT_TRUE(done);
    EXPECT_EQ(transport->inFlight(), 0u);
    try {
        std::rethrow_exception(failure);
    } catch (const boost::system::system_error& error) {
        EXPECT_EQ(error.code(), boost::asio::error::operation_aborted);
    } catch (...) {
        ADD_FAILURE() << "not operation_aborted";
    }
}

} // namespace
} // namespace velto
