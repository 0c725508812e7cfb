#include "VeltoDevice/HTTP/BeastHTTPTransport.hpp"
#include "VeltoDevice/Server/ServerError.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "AsyncTestLoop.hpp"
#include "EndToEndPeer.hpp"
#include "ManualClock.hpp"

namespace velto {
namespace {

using namespace std::chrono_literals;
using testing::AsyncTestLoop;
using testing::EndToEndPeer;
using testing::ManualClock;

HTTPRequest nonceRequest(const std::string& baseURL) {
    HTTPRequest request;
    request.method = "POST";
    request.url = boost::urls::url(baseURL + "api/devices/nonce");
    return request;
}

ServerError serverErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ServerError& error) {
        return error;
    }
    ADD_FAILURE() << "no ServerError";
    return ServerError::missingNonce();
}

TEST(TransportOverTLS, TrustedPeerAnswersAndGetsTheHostNameAsSNI) {
    EndToEndPeer peer;
    AsyncTestLoop loop;
    BeastHTTPTransport transport({.extraTrustAnchor = peer.caFile()});
    for (std::string host : {"127.0.0.1", "localhost"}) {
        auto reply = loop.run(transport.send(nonceRequest(peer.baseURL(host))));
        EXPECT_EQ(reply.status, 200);
        auto nonce = reply.header("DPoP-Nonce");
        ASSERT_TRUE(nonce);
        EXPECT_EQ(parseJson(reply.body).value_or(Json{}), Json({{"nonce", *nonce}}));
    }
    // An address literal is never sent as SNI.
    EXPECT_EQ(peer.stats()["serverNames"], Json({nullptr, "localhost"}));
}

TEST(TransportOverTLS, AnUntrustedAuthorityIsUnreachable) {
    EndToEndPeer peer;
    AsyncTestLoop loop;
    BeastHTTPTransport transport;
    auto error = serverErrorOf([&] { loop.run(transport.send(nonceRequest(peer.baseURL()))); });
    EXPECT_EQ(error,
              ServerError::unreachable("A secure connection to 127.0.0.1:" + std::to_string(peer.port()) +
                                       " could not be made: certificate verify failed (unable to get local "
                                       "issuer certificate)."));
    EXPECT_EQ(peer.stats()["nonceRequests"], 0);
}

TEST(TransportOverTLS, ACertificateForAnotherHostIsUnreachable) {
    struct Case {
        std::string names;
        std::string host;
    };
    for (const auto& test : {Case{"DNS:other.test", "127.0.0.1"}, Case{"IP:127.0.0.1", "localhost"},
                             Case{"DNS:localhost.other.test,IP:127.0.0.2", "127.0.0.1"}}) {
        SCOPED_TRACE(test.names);
        EndToEndPeer peer({.subjectAltNames = test.names});
        AsyncTestLoop loop;
        BeastHTTPTransport transport({.extraTrustAnchor = peer.caFile()});
        auto error = serverErrorOf([&] { loop.run(transport.send(nonceRequest(peer.baseURL(test.host)))); });
        EXPECT_EQ(error, ServerError::unreachable(
                             "A secure connection to " + test.host + ":" + std::to_string(peer.port()) +
                             " could not be made: its certificate is not valid for " + test.host + "."));
        EXPECT_EQ(peer.stats()["nonceRequests"], 0);
    }
}

TEST(TransportOverTLS, APeerThatTakesTheRequestAndNeverAnswersTimesOut) {
    EndToEndPeer peer;
    AsyncTestLoop loop;
    auto clock = std::make_shared<ManualClock>();
    BeastHTTPTransport transport({.extraTrustAnchor = peer.caFile(), .clock = clock});
    HTTPRequest request;
    request.url = boost::urls::url(peer.baseURL() + "api/test/silent");
    auto sent = loop.spawn(transport.send(request));

    // A guard for a broken test only: the time-out itself is the manual clock's.
    auto guard = std::chrono::steady_clock::now() + 20s;
    while (peer.stats()["silentRequests"] != 1 && std::chrono::steady_clock::now() < guard)
        loop.context().run_for(10ms);
    ASSERT_EQ(peer.stats()["silentRequests"], 1);
    ASSERT_FALSE(sent->done);

    clock->advance(60s);
    while (!sent->done && std::chrono::steady_clock::now() < guard)
        loop.context().run_one_for(10ms);
    ASSERT_TRUE(sent->done);
    EXPECT_EQ(serverErrorOf([&] { sent->get(); }), ServerError::unreachable("The request timed out."));
}

} // namespace
} // namespace velto
