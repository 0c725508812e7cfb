#include "VeltoDevice/Connection/BeastWebSocketDialer.hpp"
#include "VeltoDevice/Server/ConnectionError.hpp"
#include "VeltoDevice/Support/Blocking.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"

#include <boost/asio/bind_cancellation_slot.hpp>
#include <boost/asio/cancellation_signal.hpp>
#include <boost/asio/experimental/awaitable_operators.hpp>
#include <boost/asio/thread_pool.hpp>
#include <boost/system/system_error.hpp>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "EndToEndPeer.hpp"
#include "ManualClock.hpp"

namespace velto {
namespace {

using namespace std::chrono_literals;
using namespace boost::asio::experimental::awaitable_operators;
using testing::AsyncTestLoop;
using testing::EndToEndPeer;
using testing::ManualClock;
using testing::Spawned;
using Json = nlohmann::json;

constexpr std::size_t sixteenMiB = 16 * 1024 * 1024;

HTTPRequest upgradeRequest(const std::string& url) {
    HTTPRequest request;
    request.url = boost::urls::url(url);
    request.setHeader("DPoP", "the-proof");
    return request;
}

std::string socketURL(const EndToEndPeer& peer, const std::string& behaviour,
                      const std::string& host = "127.0.0.1") {
    return "wss://" + host + ":" + std::to_string(peer.port()) + "/api/test/socket/" + behaviour;
}

/// The error an operation ended with; fails the test when it ended otherwise.
ConnectionError connectionErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ConnectionError& error) {
        return error;
    } catch (const std::exception& error) {
        ADD_FAILURE() << "not a ConnectionError: " << error.what();
        return ConnectionError::dropped("(another error)");
    }
    ADD_FAILURE() << "no error";
    return ConnectionError::dropped("(no error)");
}

/// Runs the loop until `done` holds; the guard only stops a broken test from hanging.
void runUntil(AsyncTestLoop& loop, const std::function<bool()>& done) {
    auto deadline = std::chrono::steady_clock::now() + 20s;
    loop.context().restart();
    while (!done()) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the operations did not end";
        loop.context().run_one_for(50ms);
        if (loop.context().stopped())
            loop.context().restart();
    }
    loop.drain();
}

/// A channel test against the peer, with a pool to wait on the peer's control server while the
/// loop keeps the sockets going.
class WebSocketChannelTest : public ::testing::Test {
protected:
    std::shared_ptr<WebSocketChannel> open(const std::string& url) {
        return dialer.open(upgradeRequest(url));
    }

    /// What the peer's socket endpoints saw, once it saw at least this many upgrades and closes.
    Json seen(int upgrades, int closes) {
        auto query =
            "/control/sockets?upgrades=" + std::to_string(upgrades) + "&closes=" + std::to_string(closes);
        return loop.run(onPool(pool, [this, query] { return peer.control("GET", query); }));
    }

    EndToEndPeer peer;
    AsyncTestLoop loop;
    boost::asio::thread_pool pool{1};
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    BeastWebSocketDialer dialer{loop.executor(), {.extraTrustAnchor = peer.caFile(), .clock = clock}};
};

TEST_F(WebSocketChannelTest, EchoesTextAndSendsTheUpgradeFields) {
    for (std::string host : {"127.0.0.1", "localhost"}) {
        auto channel = open(socketURL(peer, "echo", host));
        loop.run(channel->send("hello " + host));
        EXPECT_EQ(loop.run(channel->receive()), "hello " + host);
        channel->close();
    }
    auto sockets = seen(2, 2);
    ASSERT_EQ(sockets["upgrades"].size(), 2u);
    auto port = std::to_string(peer.port());
    EXPECT_EQ(
        sockets["upgrades"][0],
        Json(
            {{"behaviour", "echo"}, {"secure", true}, {"host", "127.0.0.1:" + port}, {"dpop", "the-proof"}}));
    EXPECT_EQ(sockets["upgrades"][1]["host"], "localhost:" + port);
    // An address literal is never sent as SNI.
    EXPECT_EQ(peer.stats()["serverNames"], Json({nullptr, "localhost"}));
}

TEST_F(WebSocketChannelTest, PlainSocketsWorkOnThisMachine) {
    auto plainPort = seen(0, 0)["plainPort"].get<int>();
    auto channel = open("ws://127.0.0.1:" + std::to_string(plainPort) + "/api/test/socket/echo");
    loop.run(channel->send("plain"));
    EXPECT_EQ(loop.run(channel->receive()), "plain");
    EXPECT_EQ(seen(1, 0)["upgrades"][0]["secure"], false);
}

TEST_F(WebSocketChannelTest, RefusedUpgradesMapToTheirErrors) {
    struct Case {
        std::string behaviour;
        ConnectionError expected;
    };
    const std::vector<Case> cases = {
        {"refuse-nonce", ConnectionError::upgradeRefused("use_dpop_nonce")},
        {"refuse-proof", ConnectionError::upgradeRefused("invalid_dpop_proof")},
        {"refuse-both", ConnectionError::upgradeRefused("use_dpop_nonce")},
        {"refuse-bare", ConnectionError::revoked()},
        {"forbidden", ConnectionError::dropped("HTTP 403")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.behaviour);
        auto channel = open(socketURL(peer, c.behaviour));
        EXPECT_EQ(connectionErrorOf([&] { loop.run(channel->receive()); }), c.expected);
        // The failure stays: later operations report it too.
        EXPECT_EQ(connectionErrorOf([&] { loop.run(channel->send("late")); }), c.expected);
    }
}

TEST_F(WebSocketChannelTest, AServerCloseMapsByItsCode) {
    struct Case {
        int code;
        ConnectionError expected;
    };
    const std::vector<Case> cases = {
        {4001, ConnectionError::replaced()},
        {4003, ConnectionError::revoked()},
        {4408, ConnectionError::renewalMissed()},
        {1000, ConnectionError::closedByServer(1000)},
        {4999, ConnectionError::closedByServer(4999)},
        // A close frame without a status code.
        {1005, ConnectionError::closedByServer(1005)},
    };
    // The code decides also when the server drops the connection right after its close frame, so
    // that the closing handshake itself fails.
    for (const std::string ending : {"", "-then-drop"}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::to_string(c.code) + ending);
            auto channel = open(socketURL(peer, "close-" + std::to_string(c.code) + ending));
            EXPECT_EQ(connectionErrorOf([&] { loop.run(channel->receive()); }), c.expected);
            EXPECT_EQ(connectionErrorOf([&] { loop.run(channel->send("late")); }), c.expected);
        }
    }
}

TEST_F(WebSocketChannelTest, AConnectionLostWithoutACloseIsDropped) {
    auto channel = open(socketURL(peer, "drop"));
    auto error = connectionErrorOf([&] { loop.run(channel->receive()); });
    EXPECT_EQ(error.kind(), ConnectionError::Case::dropped);
    EXPECT_FALSE(error.text().empty());
    EXPECT_NE(error.text(), "the connection was closed");
}

TEST_F(WebSocketChannelTest, ABinaryMessageIsNothingAndTheChannelStaysUsable) {
    auto channel = open(socketURL(peer, "binary"));
    EXPECT_EQ(loop.run(channel->receive()), std::nullopt);
    EXPECT_EQ(loop.run(channel->receive()), "after binary");
    loop.run(channel->send("still here"));
    EXPECT_EQ(loop.run(channel->receive()), "still here");
}

TEST_F(WebSocketChannelTest, MessagesAreLimitedToSixteenMiB) {
    auto fits = open(socketURL(peer, "large?bytes=" + std::to_string(sixteenMiB)));
    EXPECT_EQ(loop.run(fits->receive()).value_or("").size(), sixteenMiB);
    fits->close();

    auto tooLarge = open(socketURL(peer, "large?bytes=" + std::to_string(sixteenMiB + 1)));
    auto error = connectionErrorOf([&] { loop.run(tooLarge->receive()); });
    EXPECT_EQ(error.kind(), ConnectionError::Case::dropped);
    // The peer is told why (1009, message too big), unless the reset of a socket with unread data
    // overtakes the close frame on its way (1006).
    auto closes = seen(2, 2)["closes"];
    EXPECT_THAT(closes[1]["code"].get<int>(), ::testing::AnyOf(1009, 1006));
}

TEST_F(WebSocketChannelTest, CancellingAReceiveClosesWithGoingAwayAndEndsTheOtherWaits) {
    auto channel = open(socketURL(peer, "echo"));
    loop.run(channel->send("open"));
    EXPECT_EQ(loop.run(channel->receive()), "open");

    // The receive loses a race against a timer, as a session's receive loses to its time-out.
    auto race = [&]() -> boost::asio::awaitable<std::size_t> {
        auto winner = co_await (channel->receive() || clock->sleep(30s));
        co_return winner.index();
    };
    auto raced = loop.spawn(race());
    auto other = loop.spawn(channel->receive());
    loop.drain();
    clock->advance(30s);
    runUntil(loop, [&] { return raced->done && other->done; });

    EXPECT_EQ(raced->get(), 1u);
    EXPECT_EQ(connectionErrorOf([&] { other->get(); }),
              ConnectionError::dropped("the connection was closed"));
    EXPECT_EQ(connectionErrorOf([&] { loop.run(channel->send("late")); }),
              ConnectionError::dropped("the connection was closed"));
    EXPECT_EQ(seen(1, 1)["closes"][0]["code"], 1001);
}

TEST_F(WebSocketChannelTest, ACancelledReceiveEndsWithCancellation) {
    auto channel = open(socketURL(peer, "echo"));
    loop.run(channel->send("open"));
    EXPECT_EQ(loop.run(channel->receive()), "open");

    // Nothing more is sent, so the receive is still waiting on the socket when it is cancelled.
    boost::asio::cancellation_signal signal;
    bool done = false;
    std::exception_ptr error;
    boost::asio::co_spawn(loop.context(), channel->receive(),
                          boost::asio::bind_cancellation_slot(
                              signal.slot(), [&](std::exception_ptr e, std::optional<std::string>) {
                                  error = e;
                                  done = true;
                              }));
    loop.drain();
    ASSERT_FALSE(done);
    signal.emit(boost::asio::cancellation_type::terminal);
    runUntil(loop, [&] { return done; });
    ASSERT_TRUE(error) << "the receive ended without an error";
    EXPECT_TRUE(isCancellation(error));
}

TEST_F(WebSocketChannelTest, ACancelledSendWaitingForTheOpeningClosesTheSocket) {
    auto request = upgradeRequest(socketURL(peer, "silent"));
    request.timeout = 60s;
    auto channel = dialer.open(request);
    auto race = [&]() -> boost::asio::awaitable<std::size_t> {
        auto winner = co_await (channel->send("early") || clock->sleep(5s));
        co_return winner.index();
    };
    auto raced = loop.spawn(race());
    auto other = loop.spawn(channel->receive());
    seen(1, 0);
    clock->advance(5s);
    runUntil(loop, [&] { return raced->done && other->done; });

    EXPECT_EQ(raced->get(), 1u);
    EXPECT_EQ(connectionErrorOf([&] { other->get(); }),
              ConnectionError::dropped("the connection was closed"));
}

TEST_F(WebSocketChannelTest, AReceivePendingWhenTheChannelGoesEndsAsClosed) {
    auto channel = open(socketURL(peer, "echo"));
    loop.run(channel->send("open"));
    EXPECT_EQ(loop.run(channel->receive()), "open");

    auto pending = loop.spawn(channel->receive());
    loop.drain();
    channel.reset();
    runUntil(loop, [&] { return pending->done; });
    EXPECT_EQ(connectionErrorOf([&] { pending->get(); }),
              ConnectionError::dropped("the connection was closed"));
    EXPECT_EQ(seen(1, 1)["closes"][0]["code"], 1001);
}

TEST_F(WebSocketChannelTest, ClosingAndDestroyingTellThePeerGoingAway) {
    auto closed = open(socketURL(peer, "echo"));
    loop.run(closed->send("one"));
    EXPECT_EQ(loop.run(closed->receive()), "one");
    closed->close();
    closed->close();

    auto destroyed = open(socketURL(peer, "echo"));
    loop.run(destroyed->send("two"));
    EXPECT_EQ(loop.run(destroyed->receive()), "two");
    destroyed.reset();

    auto closes = seen(2, 2)["closes"];
    ASSERT_EQ(closes.size(), 2u);
    EXPECT_EQ(closes[0]["code"], 1001);
    EXPECT_EQ(closes[1]["code"], 1001);
    EXPECT_EQ(connectionErrorOf([&] { loop.run(closed->receive()); }),
              ConnectionError::dropped("the connection was closed"));
}

TEST_F(WebSocketChannelTest, ConcurrentSendsArriveWhole) {
    auto channel = open(socketURL(peer, "echo"));
    constexpr int count = 40;
    std::vector<std::string> sent;
    for (int index = 0; index < count; ++index)
        sent.push_back(std::to_string(index) + ":" +
                       std::string(96 * 1024, static_cast<char>('a' + index % 26)));

    std::vector<std::string> received;
    auto receiver = [&]() -> boost::asio::awaitable<void> {
        while (received.size() < sent.size())
            received.push_back((co_await channel->receive()).value_or("(binary)"));
    };
    auto receiving = loop.spawn(receiver());
    std::vector<std::shared_ptr<Spawned<void>>> senders;
    for (const auto& text : sent)
        senders.push_back(loop.spawn(channel->send(text)));
    runUntil(loop, [&] {
        return receiving->done &&
               std::all_of(senders.begin(), senders.end(), [](auto& s) { return s->done; });
    });

    for (auto& sender : senders)
        EXPECT_NO_THROW(sender->get());
    EXPECT_NO_THROW(receiving->get());
    auto expected = sent;
    std::sort(expected.begin(), expected.end());
    std::sort(received.begin(), received.end());
    EXPECT_TRUE(received == expected) << "messages were lost or mixed";
}

TEST_F(WebSocketChannelTest, AnOpeningThatNeverEndsTimesOut) {
    auto request = upgradeRequest(socketURL(peer, "silent"));
    request.timeout = 60s;
    auto channel = dialer.open(request);
    auto receiving = loop.spawn(channel->receive());
    seen(1, 0);
    clock->advance(59s);
    loop.drain();
    EXPECT_FALSE(receiving->done);
    clock->advance(1s);
    runUntil(loop, [&] { return receiving->done; });
    EXPECT_EQ(connectionErrorOf([&] { receiving->get(); }),
              ConnectionError::dropped("The request timed out."));
}

TEST_F(WebSocketChannelTest, AnUntrustedCertificateIsDropped) {
    BeastWebSocketDialer systemTrustOnly(loop.executor());
    auto channel = systemTrustOnly.open(upgradeRequest(socketURL(peer, "echo")));
    EXPECT_EQ(connectionErrorOf([&] { loop.run(channel->send("hello")); }),
              ConnectionError::dropped("certificate verify failed (unable to get local issuer certificate)"));
    EXPECT_TRUE(seen(0, 0)["upgrades"].empty());
}

TEST(WebSocketChannel, ACertificateForAnotherHostIsDropped) {
    EndToEndPeer peer({.subjectAltNames = "IP:127.0.0.1"});
    AsyncTestLoop loop;
    BeastWebSocketDialer dialer(loop.executor(), {.extraTrustAnchor = peer.caFile()});
    auto channel = dialer.open(upgradeRequest(socketURL(peer, "echo", "localhost")));
    EXPECT_EQ(connectionErrorOf([&] { loop.run(channel->receive()); }),
              ConnectionError::dropped("its certificate is not valid for localhost"));
}

TEST(WebSocketChannel, AddressesItMustNotOpenAreDropped) {
    struct Case {
        std::string url;
        std::string explanation;
    };
    const std::vector<Case> cases = {
        {"ws://example.com/api/devices/connect", "ws://example.com/api/devices/connect is not encrypted"},
        {"https://127.0.0.1/api/devices/connect",
         "https://127.0.0.1/api/devices/connect is not a WebSocket address"},
        {"wss://127.0.0.1:99999/", "wss://127.0.0.1:99999/ has no valid port"},
    };
    AsyncTestLoop loop;
    BeastWebSocketDialer dialer(loop.executor());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        auto channel = dialer.open(upgradeRequest(c.url));
        EXPECT_EQ(connectionErrorOf([&] { loop.run(channel->receive()); }),
                  ConnectionError::dropped(c.explanation));
    }
}

} // namespace
} // namespace velto
