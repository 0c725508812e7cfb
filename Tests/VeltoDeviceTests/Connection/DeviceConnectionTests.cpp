#include "VeltoDevice/Connection/DeviceConnection.hpp"
#include "VeltoDevice/DPoP/DPoPProofSigner.hpp"
#include "VeltoDevice/Server/ConnectionError.hpp"
#include "VeltoDevice/Server/ServerError.hpp"
#include "VeltoDevice/Support/Base64URL.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <boost/asio/bind_cancellation_slot.hpp>
#include <boost/asio/cancellation_signal.hpp>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/error.hpp>
#include <boost/system/system_error.hpp>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "CapturingLogSink.hpp"
#include "ManualClock.hpp"
#include "RecordingJobRunner.hpp"
#include "ScriptedConnection.hpp"
#include "ScriptedTransport.hpp"
#include "ScriptedWebSocketDialer.hpp"
#include "ThrowingSigningKey.hpp"

namespace velto {
namespace {

using namespace std::chrono_literals;
using testing::AsyncTestLoop;
using testing::CapturingLogSink;
using testing::ManualClock;
using testing::ScriptedConnection;
using State = ConnectionState;

const std::string closed1006 = "Velto closed the connection (1006).";

class DeviceConnectionTest : public ::testing::Test {
protected:
    void SetUp() override { logs = CapturingLogSink::install(); }

    void TearDown() override {
        organization.reset();
        loop.drain();
    }

    ScriptedConnection&
    make(SessionHandlers handlers = {},
         std::shared_ptr<const DeviceSigningKey> key = std::make_shared<testing::FixedSigningKey>()) {
        organization = std::make_unique<ScriptedConnection>(loop, clock, std::move(handlers), std::move(key));
        return *organization;
    }

    /// Moves the clock on and runs what becomes ready.
    void advance(Clock::Duration duration) {
        loop.drain();
        clock->advance(duration);
        loop.drain();
    }

    /// Starts and lets the first dial's socket close before the welcome, `times` times in a row,
    /// each redial coming after its delay; returns the delays published.
    std::vector<std::int64_t> failBeforeWelcome(ScriptedConnection& org, int times) {
        std::vector<std::int64_t> delays;
        for (int attempt = 0; attempt < times; ++attempt) {
            org.answerNonce();
            org.dialer->prepare()->fail(ConnectionError::closedByServer(1006));
            if (attempt == 0)
                org.start();
            else
                advance(std::chrono::milliseconds(delays.back()));
            loop.drain();
            if (org.states.empty() || org.states.back().kind() != State::Case::retrying) {
                ADD_FAILURE() << "attempt " << attempt << " did not end in retrying";
                break;
            }
            delays.push_back(org.states.back().afterMilliseconds());
        }
        return delays;
    }

    std::vector<testing::CapturedLine> connectionLines() const {
        std::vector<testing::CapturedLine> out;
        for (auto& line : logs->lines()) {
            if (line.category == "connection")
                out.push_back(line);
        }
        return out;
    }

    AsyncTestLoop loop;
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    std::shared_ptr<CapturingLogSink> logs;
    std::unique_ptr<ScriptedConnection> organization;
};

Json claimsOf(const std::string& proof) {
    auto first = proof.find('.');
    auto second = proof.find('.', first + 1);
    auto claims = Base64URL::decode(proof.substr(first + 1, second - first - 1));
    return claims ? Json::parse(toString(*claims)) : Json();
}

TEST_F(DeviceConnectionTest, AHealthyDialSignsTheUpgradeAndPublishesConnectingThenConnected) {
    auto& org = make();
    org.answerNonce("upgrade-nonce");
    org.start();

    ASSERT_EQ(org.transport->requests().size(), 1u);
    const HTTPRequest& nonceRequest = org.transport->requests()[0];
    EXPECT_EQ(nonceRequest.method, "POST");
    EXPECT_EQ(nonceRequest.url.buffer(), "https://velto.example/api/devices/nonce");
    EXPECT_FALSE(nonceRequest.header("DPoP"));

    ASSERT_EQ(org.dialer->requests().size(), 1u);
    const HTTPRequest& upgrade = org.dialer->requests()[0];
    EXPECT_EQ(upgrade.method, "GET");
    EXPECT_EQ(upgrade.url.buffer(), "wss://velto.example/api/devices/connect");
    EXPECT_EQ(upgrade.timeout, 60s);
    ASSERT_TRUE(upgrade.header("DPoP"));
    Json claims = claimsOf(*upgrade.header("DPoP"));
    EXPECT_EQ(claims["htm"], "GET");
    EXPECT_EQ(claims["htu"], "https://velto.example/api/devices/connect");
    EXPECT_EQ(claims["nonce"], "upgrade-nonce");

    auto& channel = org.dialer->latest();
    EXPECT_EQ(channel.sent(), std::vector<std::string>{ScriptedConnection::helloFrame(org.hello)});
    EXPECT_EQ(org.states, std::vector<State>{State::connecting()});

    channel.deliver(ScriptedConnection::welcomeFrame("dev-7"));
    loop.drain();
    EXPECT_EQ(org.states, (std::vector<State>{State::connecting(), State::connected("dev-7")}));
    EXPECT_TRUE(org.profiles.empty());
    EXPECT_TRUE(connectionLines().empty());
}

TEST_F(DeviceConnectionTest, TwoStartsRunOneLoop) {
    auto& org = make();
    org.answerNonce();
    org.start();
    org.start();
    loop.drain();

    EXPECT_EQ(org.dialer->dialCount(), 1u);
    EXPECT_EQ(org.hellosBuilt, 1);
    EXPECT_EQ(org.states, std::vector<State>{State::connecting()});
    EXPECT_EQ(org.transport->pending(), 0u);
}

TEST_F(DeviceConnectionTest, SocketsClosingBeforeTheWelcomeWaitEverLongerUpToTheCap) {
    struct Row {
        double jitter;
        std::vector<std::int64_t> delays;
    };
    const std::vector<Row> rows = {
        {0.0, {500, 1000, 2000, 4000, 8000, 16000, 30000, 30000}},
        {1.0, {1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000}},
        {0.5, {750, 1500, 3000, 6000, 12000, 24000, 45000, 45000}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.jitter);
        auto& org = make();
        org.jitter = row.jitter;
        EXPECT_EQ(failBeforeWelcome(org, 8), row.delays);
        EXPECT_EQ(org.dialer->dialCount(), 8u);
        EXPECT_EQ(org.states.back(), State::retrying(row.delays.back(), closed1006));
        org.stop();
    }
}

TEST_F(DeviceConnectionTest, TheRedialComesWhenItsDelayHasPassedAndNotBefore) {
    auto& org = make();
    org.jitter = 0.25;
    EXPECT_EQ(failBeforeWelcome(org, 1), std::vector<std::int64_t>{625});
    org.answerNonce();

    advance(624ms);
    EXPECT_EQ(org.dialer->dialCount(), 1u);
    advance(1ms);
    EXPECT_EQ(org.dialer->dialCount(), 2u);
    EXPECT_EQ(org.states, (std::vector<State>{State::connecting(), State::retrying(625, closed1006),
                                              State::connecting()}));

    auto lines = connectionLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].level, LogLevel::info);
    EXPECT_EQ(lines[0].message, "redialing in 625 ms: " + closed1006);
}

TEST_F(DeviceConnectionTest, AWelcomeStartsTheBackoffAgain) {
    auto& org = make();
    org.jitter = 1.0;
    EXPECT_EQ(failBeforeWelcome(org, 3), (std::vector<std::int64_t>{1000, 2000, 4000}));

    org.answerNonce();
    advance(4000ms);
    org.dialer->latest().deliver(ScriptedConnection::welcomeFrame());
    loop.drain();
    EXPECT_EQ(org.states.back(), State::connected("dev-1"));

    org.dialer->latest().fail(ConnectionError::closedByServer(1006));
    loop.drain();
    EXPECT_EQ(org.states.back(), State::retrying(1000, closed1006));
}

TEST_F(DeviceConnectionTest, AStartAfterAStopBeginsANewLoopAtTheFirstAttempt) {
    auto& org = make();
    EXPECT_EQ(failBeforeWelcome(org, 3), (std::vector<std::int64_t>{500, 1000, 2000}));
    org.stop();

    org.answerNonce();
    org.dialer->prepare()->fail(ConnectionError::closedByServer(1006));
    org.start();
    EXPECT_EQ(org.dialer->dialCount(), 4u);
    EXPECT_EQ(org.states.back(), State::retrying(500, closed1006));
}

TEST_F(DeviceConnectionTest, FinalErrorsStopTheLoop) {
    struct Row {
        const char* name;
        bool welcomedFirst;
        int closeCode;
        ConnectionError error;
    };
    const std::vector<Row> rows = {
        {"4003 before the welcome", false, 4003, ConnectionError::revoked()},
        {"4003 after the welcome", true, 4003, ConnectionError::revoked()},
        {"4001 before the welcome", false, 4001, ConnectionError::replaced()},
        {"4001 after the welcome", true, 4001, ConnectionError::replaced()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        logs = CapturingLogSink::install();
        auto& org = make();
        org.answerNonce();
        org.start();
        auto& channel = org.dialer->latest();
        if (row.welcomedFirst) {
            channel.deliver(ScriptedConnection::welcomeFrame());
            loop.drain();
        }
        channel.fail(ConnectionError::forClose(row.closeCode));
        loop.drain();

        std::vector<State> expected{State::connecting()};
        if (row.welcomedFirst)
            expected.push_back(State::connected("dev-1"));
        expected.push_back(State::stopped(row.error.description()));
        EXPECT_EQ(org.states, expected);
        auto lines = connectionLines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].level, LogLevel::error);
        EXPECT_EQ(lines[0].message, "stopped: " + row.error.description());
        EXPECT_GE(channel.closeCount(), 1u);

        advance(10min);
        EXPECT_EQ(org.dialer->dialCount(), 1u);

        // The loop is gone, so a start begins a new one.
        org.answerNonce();
        org.start();
        EXPECT_EQ(org.dialer->dialCount(), 2u);
        EXPECT_EQ(org.states.back(), State::connecting());
    }
}

TEST_F(DeviceConnectionTest, FailuresBeforeTheSocketRedialWithTheirText) {
    auto refusingKey = std::make_shared<testing::ThrowingSigningKey>();
    std::string signingFailure;
    try {
        DPoPProofSigner(refusingKey).proof("GET", ScriptedConnection::server.connectURL(), "n");
    } catch (const std::exception& error) {
        signingFailure = error.what();
    }
    ASSERT_FALSE(signingFailure.empty());

    struct Row {
        const char* name;
        std::function<void(testing::ScriptedTransport&)> script;
        std::shared_ptr<const DeviceSigningKey> key;
        std::string reason;
    };
    const std::vector<Row> rows = {
        {"nonce refused", [](auto& transport) { transport.answer(503); }, nullptr,
         "Velto answered with HTTP 503."},
        {"nonce missing", [](auto& transport) { transport.answer(200); }, nullptr,
         "Velto did not issue a DPoP nonce."},
        {"server unreachable",
         [](auto& transport) { transport.fail(ServerError::unreachable("no route to host")); }, nullptr,
         "Velto could not be reached: no route to host"},
        {"proof refused",
         [](auto& transport) {
             transport.answer(200, {{"DPoP-Nonce", "n"}});
         },
         refusingKey, signingFailure},
        {"a cancellation error that is not the loop's own",
         [](auto& transport) {
             transport.respond([](const HTTPRequest&) -> HTTPReply {
                 throw boost::system::system_error(boost::asio::error::operation_aborted);
             });
         },
         nullptr, boost::system::system_error(boost::asio::error::operation_aborted).what()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto& org = row.key ? make({}, row.key) : make();
        row.script(*org.transport);
        org.start();
        EXPECT_EQ(org.dialer->dialCount(), 0u);
        EXPECT_EQ(org.states, (std::vector<State>{State::connecting(), State::retrying(500, row.reason)}));
    }
}

TEST_F(DeviceConnectionTest, StopDuringTheRedialSleepEndsTheLoopOffline) {
    auto& org = make();
    failBeforeWelcome(org, 1);
    org.stop();
    EXPECT_EQ(clock->sleeperCount(), 0u);

    advance(10min);
    EXPECT_EQ(org.dialer->dialCount(), 1u);
    EXPECT_EQ(org.states,
              (std::vector<State>{State::connecting(), State::retrying(500, closed1006), State::offline()}));
    EXPECT_EQ(connectionLines().size(), 1u);
}

/// A transport that reports its cancellation as unreachable, as a platform transport may.
class CancelledAsUnreachable final : public HTTPTransport {
public:
    explicit CancelledAsUnreachable(std::shared_ptr<testing::ScriptedTransport> inner)
        : inner_(std::move(inner)) {}

    boost::asio::awaitable<HTTPReply> send(HTTPRequest request) override {
        try {
            co_return co_await inner_->send(std::move(request));
        } catch (const boost::system::system_error& error) {
            if (error.code() != boost::asio::error::operation_aborted)
                throw;
        }
        throw ServerError::unreachable("cancelled");
    }

private:
    std::shared_ptr<testing::ScriptedTransport> inner_;
};

TEST_F(DeviceConnectionTest, StopDuringTheNonceRequestLeavesOfflineLast) {
    for (bool asUnreachable : {false, true}) {
        SCOPED_TRACE(asUnreachable ? "cancellation reported as unreachable" : "cancellation");
        logs = CapturingLogSink::install();
        auto nonces = std::make_shared<testing::ScriptedTransport>();
        nonces->hang();
        DeviceIdentity identity(
            ScriptedConnection::server, std::make_shared<testing::FixedSigningKey>(),
            asUnreachable ? std::shared_ptr<HTTPTransport>(std::make_shared<CancelledAsUnreachable>(nonces))
                          : nonces);
        auto dialer = std::make_shared<testing::ScriptedWebSocketDialer>();
        DeviceConnection connection(
            loop.executor(), identity, dialer, Backoff::standard(), clock, {},
            []() -> boost::asio::awaitable<DeviceMessage::Hello> { co_return DeviceMessage::Hello{}; },
            [] { return 0.0; });
        std::vector<State> states;
        auto collect = [](DeviceConnection& from, std::vector<State>& into) -> boost::asio::awaitable<void> {
            auto& stream = from.states();
            while (auto state = co_await stream.next())
                into.push_back(*state);
        };
        loop.spawn(collect(connection, states));
        loop.spawn(connection.start());
        loop.drain();
        ASSERT_EQ(nonces->inFlight(), 1u);

        loop.spawn(connection.stop());
        loop.drain();
        advance(10min);
        EXPECT_EQ(nonces->inFlight(), 0u);
        EXPECT_EQ(dialer->dialCount(), 0u);
        EXPECT_EQ(states, (std::vector<State>{State::connecting(), State::offline()}));
        std::vector<std::string> expectedLines;
        if (asUnreachable)
            expectedLines.push_back("redialing in 500 ms: Velto could not be reached: cancelled");
        EXPECT_EQ(logs->messages("connection"), expectedLines);
        EXPECT_EQ(clock->sleeperCount(), 0u);
    }
}

TEST_F(DeviceConnectionTest, StopWhileConnectedClosesTheSocketAndKeepsLaterHellosForTheNextSession) {
    auto& org = make();
    org.answerNonce();
    org.start();
    auto& channel = org.dialer->latest();
    channel.deliver(ScriptedConnection::welcomeFrame());
    loop.drain();

    org.stop();
    EXPECT_TRUE(channel.isClosed());
    EXPECT_EQ(org.states,
              (std::vector<State>{State::connecting(), State::connected("dev-1"), State::offline()}));

    DeviceMessage::Hello later{"2.0.0", {}, 0, 2};
    org.announce(later);
    EXPECT_EQ(channel.sentTypes(), std::vector<std::string>{"hello"});
    // Kept, not tried on the closed socket.
    EXPECT_TRUE(logs->messages("connection").empty());

    // The next dial builds its own hello, which supersedes the one kept.
    org.hello = later;
    org.answerNonce();
    org.start();
    org.dialer->latest().deliver(ScriptedConnection::welcomeFrame());
    loop.drain();
    EXPECT_EQ(org.dialer->latest().sent(), std::vector<std::string>{ScriptedConnection::helloFrame(later)});
    EXPECT_EQ(org.states.back(), State::connected("dev-1"));
}

TEST_F(DeviceConnectionTest, AStopWhileAnOfferIsBeingTakenClosesTheSocketAtOnceAndLeaksNoPlace) {
    using Hold = testing::RecordingJobRunner::Hold;
    struct Row {
        const char* name;
        bool holdsTheStart;
        Hold hold;
        std::vector<std::string> sent;
    };
    const std::vector<Row> rows = {
        {"a reserve that ends when cancelled", false, Hold::cancellable, {"hello"}},
        {"a reserve that carries on", false, Hold::regardless, {"hello"}},
        {"a start that ends when cancelled", true, Hold::cancellable, {"hello", "job.accept"}},
        {"a start that carries on", true, Hold::regardless, {"hello", "job.accept"}},
    };
    const std::string offer =
        R"({"v":1,"type":"job.offer","job":{"jobId":"job-1","reviewId":"r","harness":"codex",)"
        R"("repository":{"owner":"acme","name":"api"}}})";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto runner = std::make_shared<testing::RecordingJobRunner>();
        if (row.holdsTheStart)
            runner->holdStarts(row.hold);
        else
            runner->holdReserves(row.hold);
        auto& org = make({runner, nullptr});
        org.answerNonce();
        org.start();
        auto& channel = org.dialer->latest();
        channel.deliver(ScriptedConnection::welcomeFrame());
        channel.deliver(offer);
        loop.drain();
        ASSERT_EQ(runner->heldCalls(), 1u);

        org.stop();
        // Closed (with 1001) before the runner has answered.
        EXPECT_TRUE(channel.isClosed());
        EXPECT_EQ(runner->heldCalls(), row.hold == Hold::regardless ? 1u : 0u);
        EXPECT_EQ(org.states.back(), State::offline());

        runner->openGate();
        loop.drain();
        EXPECT_EQ(channel.sentTypes(), row.sent);
        EXPECT_EQ(runner->placesTaken(), 0u);
        EXPECT_EQ(org.dialer->dialCount(), 1u);
        EXPECT_EQ(org.states.back(), State::offline());
    }
}

TEST_F(DeviceConnectionTest, AHelloAnnouncedBetweenARedialAndItsWelcomeReachesTheNextSession) {
    auto& org = make();
    org.answerNonce();
    org.start();
    org.dialer->latest().deliver(ScriptedConnection::welcomeFrame());
    loop.drain();
    org.dialer->latest().fail(ConnectionError::closedByServer(1006));
    loop.drain();
    org.answerNonce();
    advance(500ms);
    ASSERT_EQ(org.dialer->dialCount(), 2u);

    DeviceMessage::Hello busy{"1.4.2", {}, 0, 1};
    org.announce(busy);
    auto& next = org.dialer->latest();
    EXPECT_EQ(next.sentTypes(), std::vector<std::string>{"hello"});
    next.deliver(ScriptedConnection::welcomeFrame());
    loop.drain();
    EXPECT_EQ(next.sent(), (std::vector<std::string>{ScriptedConnection::helloFrame(org.hello),
                                                     ScriptedConnection::helloFrame(busy)}));
    // Nothing was tried on the socket of the session that had ended.
    EXPECT_EQ(org.dialer->opened()[0]->sentTypes(), std::vector<std::string>{"hello"});
    EXPECT_EQ(logs->messages("connection"), std::vector<std::string>{"redialing in 500 ms: " + closed1006});
}

TEST_F(DeviceConnectionTest, StopStartStartRunsOneLoopOnOneSocket) {
    auto& org = make();
    org.answerNonce();
    org.start();
    auto first = org.dialer->opened().back();

    org.stop();
    org.answerNonce();
    org.start();
    org.start();
    loop.drain();
    // The stopped loop has ended by now; it must not have taken the new loop's place.
    org.start();
    loop.drain();

    ASSERT_EQ(org.dialer->dialCount(), 2u);
    EXPECT_EQ(org.hellosBuilt, 2);
    EXPECT_TRUE(first->isClosed());
    EXPECT_FALSE(org.dialer->latest().isClosed());
    EXPECT_EQ(org.states, (std::vector<State>{State::connecting(), State::offline(), State::connecting()}));
    org.dialer->latest().deliver(ScriptedConnection::welcomeFrame());
    loop.drain();
    EXPECT_EQ(org.states.back(), State::connected("dev-1"));
}

TEST_F(DeviceConnectionTest, ASlowReaderFindsTheNewestEightStatesAndTheNewestProfile) {
    auto transport = std::make_shared<testing::ScriptedTransport>();
    auto dialer = std::make_shared<testing::ScriptedWebSocketDialer>();
    DeviceIdentity identity(ScriptedConnection::server, std::make_shared<testing::FixedSigningKey>(),
                            transport);
    DeviceConnection connection(
        loop.executor(), identity, dialer, Backoff::standard(), clock, {},
        []() -> boost::asio::awaitable<DeviceMessage::Hello> {
            co_return DeviceMessage::Hello{"1.0", {}, 0, 1};
        },
        [] { return 0.0; });
    auto profile = [](const std::string& name) {
        return R"({"organization":{"id":"org-1","name":")" + name + R"("},"user":{"login":"ada"}})";
    };
    for (int failure = 0; failure < 5; ++failure) {
        transport->answer(200, {{"DPoP-Nonce", "n"}});
        dialer->prepare()->fail(ConnectionError::closedByServer(1006));
    }
    transport->answer(200, {{"DPoP-Nonce", "n"}});
    auto welcomed = dialer->prepare();
    for (const char* name : {"First", "Second", "Third"})
        welcomed->deliver(ScriptedConnection::welcomeFrame("dev-1", profile(name)));

    loop.spawn(connection.start());
    loop.drain();
    for (std::int64_t delay : {500, 1000, 2000, 4000, 8000})
        advance(std::chrono::milliseconds(delay));
    ASSERT_EQ(dialer->dialCount(), 6u);

    // Twelve states were published, three profiles.
    EXPECT_EQ(connection.states().bufferedCount(), 8u);
    std::vector<State> states;
    while (connection.states().bufferedCount() > 0)
        states.push_back(*loop.run(connection.states().next()));
    EXPECT_EQ(states, (std::vector<State>{State::connecting(), State::retrying(2000, closed1006),
                                          State::connecting(), State::retrying(4000, closed1006),
                                          State::connecting(), State::retrying(8000, closed1006),
                                          State::connecting(), State::connected("dev-1")}));
    ASSERT_EQ(connection.profiles().bufferedCount(), 1u);
    EXPECT_EQ(loop.run(connection.profiles().next())->organization.name, "Third");
}

TEST_F(DeviceConnectionTest, AHelloAnnouncedBeforeTheWelcomeIsSentThenOnlyWhenItDiffers) {
    struct Row {
        const char* name;
        DeviceMessage::Hello announced;
        bool sent;
    };
    const DeviceMessage::Hello opening{"1.4.2", {}, 16, 1};
    const std::vector<Row> rows = {
        {"the same hello", opening, false},
        {"another capacity", {"1.4.2", {}, 0, 1}, true},
        {"another runner", {"1.4.2", {}, 16, 2}, true},
        {"another version", {"1.5.0", {}, 16, 1}, true},
        {"another harness",
         {"1.4.2", {HarnessReport{HarnessKind::codex, "0.9", true, std::nullopt}}, 16, 1},
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto& org = make();
        org.hello = opening;
        org.answerNonce();
        org.start();
        auto& channel = org.dialer->latest();
        org.announce(row.announced);
        EXPECT_EQ(channel.sent().size(), 1u);

        channel.deliver(ScriptedConnection::welcomeFrame());
        loop.drain();
        std::vector<std::string> expected{ScriptedConnection::helloFrame(opening)};
        if (row.sent)
            expected.push_back(ScriptedConnection::helloFrame(row.announced));
        EXPECT_EQ(channel.sent(), expected);
        EXPECT_EQ(org.states.back(), State::connected("dev-1"));
    }
}

TEST_F(DeviceConnectionTest, AHelloAnnouncedWhileOfflineIsSupersededByTheDialsOwn) {
    auto& org = make();
    org.announce({"9.9.9", {}, 0, 1});
    org.answerNonce();
    org.start();
    auto& channel = org.dialer->latest();
    channel.deliver(ScriptedConnection::welcomeFrame());
    loop.drain();
    EXPECT_EQ(channel.sent(), std::vector<std::string>{ScriptedConnection::helloFrame(org.hello)});
}

TEST_F(DeviceConnectionTest, AHelloAnnouncedWhileWelcomedIsSentAtOnceAndAFailedSendIsOnlyLogged) {
    auto& org = make();
    org.answerNonce();
    org.start();
    auto& channel = org.dialer->latest();
    channel.deliver(ScriptedConnection::welcomeFrame());
    loop.drain();

    DeviceMessage::Hello busy{"1.4.2", {}, 0, 1};
    org.announce(busy);
    EXPECT_EQ(channel.sent(), (std::vector<std::string>{ScriptedConnection::helloFrame(org.hello),
                                                        ScriptedConnection::helloFrame(busy)}));

    channel.failSendsContaining("\"capacity\":3",
                                std::make_exception_ptr(ConnectionError::dropped("broken pipe")));
    org.announce({"1.4.2", {}, 3, 1});
    EXPECT_EQ(channel.sent().size(), 2u);
    EXPECT_EQ(logs->messages("connection"),
              std::vector<std::string>{"could not announce: The connection to Velto dropped: broken pipe"});
    EXPECT_EQ(org.states.back(), State::connected("dev-1"));
    EXPECT_FALSE(channel.isClosed());

    // Not kept for a retry: the next session's welcome sends nothing more.
    channel.fail(ConnectionError::closedByServer(1006));
    loop.drain();
    org.answerNonce();
    advance(500ms);
    org.dialer->latest().deliver(ScriptedConnection::welcomeFrame());
    loop.drain();
    EXPECT_EQ(org.dialer->latest().sentTypes(), std::vector<std::string>{"hello"});
}

TEST_F(DeviceConnectionTest, AnAnnounceWhoseCallerIsCancelledDoesNotCloseTheSocket) {
    auto& org = make();
    org.answerNonce();
    org.start();
    auto& channel = org.dialer->latest();
    channel.deliver(ScriptedConnection::welcomeFrame());
    loop.drain();

    boost::asio::cancellation_signal signal;
    boost::asio::co_spawn(loop.context(), org.connection->announce({"1.4.2", {}, 0, 1}),
                          boost::asio::bind_cancellation_slot(signal.slot(), [](std::exception_ptr) {}));
    signal.emit(boost::asio::cancellation_type::terminal);
    loop.drain();
    EXPECT_FALSE(channel.isClosed());
    EXPECT_EQ(channel.sentTypes(), (std::vector<std::string>{"hello", "hello"}));
    EXPECT_EQ(org.states.back(), State::connected("dev-1"));
}

TEST_F(DeviceConnectionTest, EveryWelcomedProfileReachesTheProfiles) {
    const std::string acme = R"({"organization":{"id":"org-1","name":"Acme"},"user":{"login":"ada"}})";
    const std::string renamed = R"({"organization":{"id":"org-1","name":"Acme Inc"},"user":{"login":"ada"}})";
    auto& org = make();
    org.answerNonce();
    org.start();
    auto& channel = org.dialer->latest();
    channel.deliver(ScriptedConnection::welcomeFrame("dev-1", acme));
    loop.drain();
    ASSERT_EQ(org.profiles.size(), 1u);
    EXPECT_EQ(org.profiles[0].organization.name, "Acme");

    channel.deliver(ScriptedConnection::welcomeFrame("dev-1", renamed));
    channel.deliver(ScriptedConnection::welcomeFrame("dev-1"));
    loop.drain();
    ASSERT_EQ(org.profiles.size(), 2u);
    EXPECT_EQ(org.profiles[1].organization.name, "Acme Inc");
    EXPECT_EQ(org.states, (std::vector<State>{State::connecting(), State::connected("dev-1")}));
}

TEST_F(DeviceConnectionTest, TheHandlersReachEverySession) {
    auto runner = std::make_shared<testing::RecordingJobRunner>();
    runner->declineEveryReserve(JobDeclineReason::busy);
    auto& org = make({runner, nullptr});
    const std::string offer =
        R"({"v":1,"type":"job.offer","job":{"jobId":"job-1","reviewId":"r","harness":"codex",)"
        R"("repository":{"owner":"acme","name":"api"}}})";
    for (int session = 0; session < 2; ++session) {
        org.answerNonce();
        if (session == 0)
            org.start();
        else
            advance(500ms);
        auto& channel = org.dialer->latest();
        channel.deliver(ScriptedConnection::welcomeFrame());
        channel.deliver(offer);
        loop.drain();
        EXPECT_EQ(channel.sentTypes(), (std::vector<std::string>{"hello", "job.decline"}));
        channel.fail(ConnectionError::closedByServer(1006));
        loop.drain();
    }
    EXPECT_EQ(runner->jobIds(testing::RecordingJobRunner::Call::Kind::reserve),
              (std::vector<std::string>{"job-1", "job-1"}));
}

TEST_F(DeviceConnectionTest, DestroyingTheConnectionClosesItsSocketAndFinishesItsStreams) {
    auto& org = make();
    org.answerNonce();
    org.start();
    auto channel = org.dialer->opened().back();
    channel->deliver(ScriptedConnection::welcomeFrame());
    loop.drain();

    org.connection.reset();
    loop.drain();
    EXPECT_TRUE(channel->isClosed());
    EXPECT_TRUE(org.statesFinished);
    EXPECT_TRUE(org.profilesFinished);
    EXPECT_EQ(org.states, (std::vector<State>{State::connecting(), State::connected("dev-1")}));
}

} // namespace
} // namespace velto
