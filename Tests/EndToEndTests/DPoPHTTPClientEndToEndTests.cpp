#include "VeltoDevice/DPoP/DPoPProofSigner.hpp"
#include "VeltoDevice/HTTP/BeastHTTPTransport.hpp"
#include "VeltoDevice/HTTP/DPoPHTTPClient.hpp"
#include "VeltoDevice/HTTP/NonceCache.hpp"
#include "VeltoDevice/Server/ServerError.hpp"
#include "VeltoDevice/Server/VeltoServer.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <boost/asio/experimental/awaitable_operators.hpp>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "EndToEndPeer.hpp"
#include "FixedSigningKey.hpp"

namespace velto {
namespace {

using namespace boost::asio::experimental::awaitable_operators;
using testing::AsyncTestLoop;
using testing::EndToEndPeer;
using testing::FixedSigningKey;

/// The real client over the real transport, against the peer that checks every proof with jose.
struct SignedClientTest : ::testing::Test {
    EndToEndPeer peer;
    AsyncTestLoop loop;
    VeltoServer server = VeltoServer::fromBaseURL(boost::urls::url(peer.baseURL()));
    DPoPProofSigner signer{std::make_shared<FixedSigningKey>()};
    DPoPHTTPClient client{
        server, signer,
        std::make_shared<BeastHTTPTransport>(BeastHTTPTransport::Options{.extraTrustAnchor = peer.caFile()}),
        std::make_shared<NonceCache>()};
    boost::urls::url echo{peer.baseURL() + "api/test/echo"};

    Json stats() {
        auto seen = peer.stats();
        EXPECT_EQ(seen["rejectedProofs"], 0) << "the peer refused: " << seen["rejections"].dump();
        return seen;
    }
};

Json bodyOf(const HTTPReply& reply) {
    return parseJson(reply.body).value_or(Json{});
}

TEST_F(SignedClientTest, OneNonceRequestThenEverySignedMethodIsAccepted) {
    auto got = loop.run(client.get(echo));
    auto posted = loop.run(client.post(echo, toBytes(R"({"a":"b/c"})")));
    auto put = loop.run(client.put(echo, toBytes(R"({"scope":"reviews","granted":true})")));

    for (const auto* reply : {&got, &posted, &put})
        EXPECT_EQ(reply->status, 200) << toString(reply->body);
    EXPECT_EQ(bodyOf(got)["method"], "GET");
    EXPECT_EQ(bodyOf(got)["body"], nullptr);
    EXPECT_EQ(bodyOf(posted)["method"], "POST");
    EXPECT_EQ(bodyOf(posted)["contentType"], "application/json");
    EXPECT_EQ(bodyOf(posted)["body"], Json({{"a", "b/c"}}));
    EXPECT_EQ(bodyOf(put)["method"], "PUT");
    EXPECT_EQ(bodyOf(put)["body"], Json({{"scope", "reviews"}, {"granted", true}}));
    // The peer's own thumbprint of the proof's key is the device's.
    EXPECT_EQ(bodyOf(got)["jkt"], signer.publicJWK().thumbprint());

    auto seen = stats();
    EXPECT_EQ(seen["nonceRequests"], 1);
    EXPECT_EQ(seen["signedNonceRequests"], 0);
    EXPECT_EQ(seen["verifiedProofs"], 3);
}

TEST_F(SignedClientTest, ConcurrentRequestsNeverShareANonce) {
    peer.configure({{"replyNonce", false}});
    auto [first, second] = loop.run(client.get(echo) && client.get(echo));
    EXPECT_EQ(first.status, 200) << toString(first.body);
    EXPECT_EQ(second.status, 200) << toString(second.body);
    EXPECT_NE(bodyOf(first)["nonce"], bodyOf(second)["nonce"]);
    auto seen = stats();
    EXPECT_EQ(seen["nonceRequests"], 2);
    EXPECT_EQ(seen["verifiedProofs"], 2);
}

TEST_F(SignedClientTest, ANonceChallengeIsRetriedOnceWithTheNewNonce) {
    for (std::string challenge : {"nonce", "www-authenticate"}) {
        SCOPED_TRACE(challenge);
        auto before = stats();
        peer.scriptChallenges({challenge});
        auto reply = loop.run(client.post(echo, toBytes("{}")));
        EXPECT_EQ(reply.status, 200) << toString(reply.body);
        auto seen = stats();
        EXPECT_EQ(seen["verifiedProofs"].get<int>() - before["verifiedProofs"].get<int>(), 2);
        EXPECT_EQ(seen["pendingChallenges"], 0);
    }
    EXPECT_EQ(stats()["nonceRequests"], 1);
}

TEST_F(SignedClientTest, TheRetrysChallengeIsReturnedWithoutASecondRetry) {
    peer.scriptChallenges({"nonce", "nonce"});
    auto reply = loop.run(client.get(echo));
    EXPECT_EQ(reply.status, 401);
    EXPECT_TRUE(reply.isNonceChallenge());
    auto seen = stats();
    EXPECT_EQ(seen["verifiedProofs"], 2);
    EXPECT_EQ(seen["challengesSent"], 2);
}

TEST_F(SignedClientTest, AChallengeWithoutANonceIsReturnedAsItIs) {
    peer.scriptChallenges({"bare"});
    auto reply = loop.run(client.put(echo, toBytes("{}")));
    EXPECT_EQ(reply.status, 401);
    EXPECT_EQ(bodyOf(reply), Json({{"code", "DEVICES_USE_DPOP_NONCE"}}));
    EXPECT_FALSE(reply.header("DPoP-Nonce"));
    auto seen = stats();
    EXPECT_EQ(seen["verifiedProofs"], 1);
    EXPECT_EQ(seen["nonceRequests"], 1);
}

TEST_F(SignedClientTest, TheNonceIsReadFromTheHeaderOrTheBody) {
    for (auto settings : {Json({{"nonceDelivery", "body"}, {"nonceStatus", 201}}),
                          Json({{"nonceDelivery", "header"}, {"nonceStatus", 200}})}) {
        SCOPED_TRACE(settings.dump());
        peer.configure(settings);
        EXPECT_FALSE(loop.run(client.freshNonce()).empty());
        peer.configure({{"replyNonce", false}});
        EXPECT_EQ(loop.run(client.get(echo)).status, 200);
        peer.configure({{"replyNonce", true}});
    }
    EXPECT_EQ(stats()["verifiedProofs"], 2);
}

TEST_F(SignedClientTest, AServerWhoseCertificateIsNotTrustedIsUnreachable) {
    DPoPHTTPClient untrusting(server, signer, std::make_shared<BeastHTTPTransport>(),
                              std::make_shared<NonceCache>());
    try {
        loop.run(untrusting.get(echo));
        ADD_FAILURE() << "the request went through";
    } catch (const ServerError& error) {
        EXPECT_EQ(error.kind(), ServerError::Case::unreachable);
        EXPECT_EQ(error.text().rfind("A secure connection to 127.0.0.1:", 0), 0u) << error.what();
    }
    EXPECT_EQ(peer.stats()["nonceRequests"], 0);
}

} // namespace
} // namespace velto
