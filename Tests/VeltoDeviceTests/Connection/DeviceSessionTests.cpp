#include "VeltoDevice/Connection/DeviceSession.hpp"
#include "VeltoDevice/Protocol/ProtocolError.hpp"
#include "VeltoDevice/Protocol/RunnerFrames.hpp"
#include "VeltoDevice/Protocol/ServerMessage.hpp"
#include "VeltoDevice/Server/ConnectionError.hpp"
#include "VeltoDevice/Support/Base64URL.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <boost/asio/bind_cancellation_slot.hpp>
#include <boost/asio/cancellation_signal.hpp>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/error.hpp>
#include <boost/system/system_error.hpp>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "CapturingLogSink.hpp"
#include "FixedSigningKey.hpp"
#include "ManualClock.hpp"
#include "RecordingJobRunner.hpp"
#include "ScriptedWebSocketChannel.hpp"

namespace velto {
namespace {

using namespace std::chrono_literals;
using testing::AsyncTestLoop;
using testing::CapturingLogSink;
using testing::ManualClock;
using testing::RecordingJobRunner;
using testing::ScriptedWebSocketChannel;
using testing::Spawned;
using Kind = RecordingJobRunner::Call::Kind;

class RecordingUpdates final : public UpdateOfferReceiving {
public:
    boost::asio::awaitable<void> receive(ServerMessage::UpdateOffer offer) override {
        offers.push_back(std::move(offer));
        co_return;
    }
    std::vector<ServerMessage::UpdateOffer> offers;
};

// ---- Frames as the server writes them.

std::string frame(Json object) {
    object["v"] = 1;
    return object.dump();
}

std::string welcomeFrame(const std::string& nonce, std::int64_t renewWithinMs,
                         std::optional<Json> profile = std::nullopt) {
    Json object{
        {"type", "welcome"}, {"deviceId", "dev-1"}, {"nonce", nonce}, {"renewWithinMs", renewWithinMs}};
    if (profile)
        object["profile"] = *profile;
    return frame(object);
}

std::string renewedFrame(const std::string& nonce, std::int64_t renewWithinMs) {
    return frame({{"type", "renewed"}, {"nonce", nonce}, {"renewWithinMs", renewWithinMs}});
}

Json reviewJob(const std::string& jobId) {
    return {{"jobId", jobId},
            {"reviewId", "r-7"},
            {"harness", "claude"},
            {"repository", {{"owner", "acme"}, {"name", "api"}}},
            {"prompt", "look at src/main.c"}};
}

std::string offerFrame(const Json& job) {
    return frame({{"type", "job.offer"}, {"job", job}});
}

std::string cancelFrame(const std::string& jobId) {
    return frame({{"type", "job.cancel"}, {"jobId", jobId}});
}

std::string toolResultFrame(const std::string& jobId) {
    return frame({{"type", "tool.result"},
                  {"jobId", jobId},
                  {"callId", "c-1"},
                  {"ok", true},
                  {"result", {{"files", {"a/b.c"}}}}});
}

Json profileJson(const std::string& organization) {
    return {{"organization", {{"id", "org-" + organization}, {"name", organization}}},
            {"user", {{"login", "ada"}}}};
}

std::string acceptText(const std::string& jobId) {
    return R"({"jobId":")" + jobId + R"(","type":"job.accept","v":1})";
}

std::string declineText(const std::string& jobId, const std::string& reason) {
    return R"({"jobId":")" + jobId + R"(","reason":")" + reason + R"(","type":"job.decline","v":1})";
}

/// The error the run ended with, rethrown as `E`; fails the test when it is of another type.
template <typename E> std::optional<E> errorOf(const std::shared_ptr<Spawned<void>>& outcome) {
    if (!outcome->done) {
        ADD_FAILURE() << "the run has not ended";
        return std::nullopt;
    }
    try {
        outcome->get();
        ADD_FAILURE() << "the run returned normally";
    } catch (const E& error) {
        return error;
    } catch (const std::exception& error) {
        ADD_FAILURE() << "the run ended with another error: " << error.what();
    }
    return std::nullopt;
}

/// "reserve J1", "start J1", … for every call of the runner, in order.
std::vector<std::string> callLog(const RecordingJobRunner& runner) {
    static const char* const names[] = {"reserve", "release", "start", "deliver", "cancel", "cancelAll"};
    std::vector<std::string> out;
    for (const auto& call : runner.calls())
        out.push_back(std::string(names[static_cast<int>(call.kind)]) + " " + call.jobId);
    return out;
}

bool endedByCancellation(const std::shared_ptr<Spawned<void>>& outcome) {
    auto error = errorOf<boost::system::system_error>(outcome);
    return error && error->code() == boost::asio::error::operation_aborted;
}

class DeviceSessionTest : public ::testing::Test {
protected:
    void SetUp() override { logs = CapturingLogSink::install(); }

    void TearDown() override {
        for (auto& signal : signals)
            signal->emit(boost::asio::cancellation_type::terminal);
        loop.drain();
    }

    DeviceSession makeSession(std::shared_ptr<ScriptedWebSocketChannel> on, std::shared_ptr<JobRunning> with,
                              std::shared_ptr<UpdateOfferReceiving> updates = nullptr,
                              DeviceSession::LaterProfiles laterProfiles = {}) {
        return DeviceSession(std::move(on), signer, server, clock, std::move(with), std::move(updates),
                             std::move(laterProfiles));
    }

    /// Runs `session` on the loop, cancellable through the returned outcome's signal, and drains.
    std::shared_ptr<Spawned<void>> start(const DeviceSession& session) {
        auto outcome = std::make_shared<Spawned<void>>();
        signals.push_back(std::make_unique<boost::asio::cancellation_signal>());
        boost::asio::co_spawn(
            loop.context(),
            session.run(hello,
                        [this](const ServerMessage::Welcome& welcome) { return recordWelcome(welcome); }),
            boost::asio::bind_cancellation_slot(signals.back()->slot(), [outcome](std::exception_ptr error) {
                outcome->error = error;
                outcome->done = true;
            }));
        loop.drain();
        return outcome;
    }

    std::shared_ptr<Spawned<void>> start() { return start(makeSession(channel, runner)); }

    boost::asio::awaitable<void> recordWelcome(ServerMessage::Welcome welcome) {
        welcomes.push_back(std::move(welcome));
        callsAtWelcome = runner->calls().size();
        co_return;
    }

    void advance(Clock::Duration duration) {
        clock->advance(duration);
        loop.drain();
    }

    void deliver(const std::string& text) {
        channel->deliver(text);
        loop.drain();
    }

    /// The nonces of the proof frames sent on `on`.
    static std::vector<std::string> provedNonces(const ScriptedWebSocketChannel& on) {
        std::vector<std::string> nonces;
        for (const auto& text : on.sentOfType("proof"))
            nonces.push_back(Json::parse(text).at("nonce").get<std::string>());
        return nonces;
    }

    std::vector<std::string> sessionLogs() const { return logs->messages("session"); }

    AsyncTestLoop loop;
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    std::shared_ptr<ScriptedWebSocketChannel> channel = std::make_shared<ScriptedWebSocketChannel>();
    std::shared_ptr<RecordingJobRunner> runner = std::make_shared<RecordingJobRunner>();
    DPoPProofSigner signer{
        std::make_shared<testing::FixedSigningKey>(testing::FixedSigningKey::known()),
        [] { return std::chrono::system_clock::time_point(std::chrono::seconds(1700000000)); },
        [] { return std::string("JTI-1"); }};
    VeltoServer server = VeltoServer::fromAddress("https://velto.example/base");
    DeviceMessage::Hello hello{"1.4.2", {}, 16, 1};
    std::shared_ptr<CapturingLogSink> logs;
    std::vector<std::unique_ptr<boost::asio::cancellation_signal>> signals;
    std::vector<ServerMessage::Welcome> welcomes;
    std::size_t callsAtWelcome = 0;
};

TEST_F(DeviceSessionTest, SaysHelloFirstAndHandsTheWelcomeOverBeforeReadingOn) {
    channel->deliver(welcomeFrame("n1", 60000, profileJson("Acme")));
    channel->deliver(offerFrame(reviewJob("J1")));
    auto outcome = start();

    ASSERT_FALSE(channel->sent().empty());
    EXPECT_EQ(channel->sent().front(),
              R"({"appVersion":"1.4.2","capacity":16,"harnesses":[],"runner":1,"type":"hello","v":1})");
    ASSERT_EQ(welcomes.size(), 1u);
    EXPECT_EQ(welcomes[0].deviceId, "dev-1");
    ASSERT_TRUE(welcomes[0].profile);
    EXPECT_EQ(welcomes[0].profile->organization.name, "Acme");
    // The offer queued behind the welcome was read only after the welcome handler returned.
    EXPECT_EQ(callsAtWelcome, 0u);
    EXPECT_EQ(runner->jobIds(Kind::start), std::vector<std::string>{"J1"});
    EXPECT_FALSE(outcome->done);
}

TEST_F(DeviceSessionTest, ASocketFailingBeforeTheWelcomeEndsTheRunAtOnceWithItsOwnError) {
    channel->fail(ConnectionError::forClose(4001));
    auto outcome = start();

    auto error = errorOf<ConnectionError>(outcome);
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, ConnectionError::replaced());
    EXPECT_TRUE(welcomes.empty());
    // The welcome timer was cancelled, not run out.
    EXPECT_EQ(clock->sleeperCount(), 0u);
}

TEST_F(DeviceSessionTest, SilenceEndsTheRunAtThirtySecondsAndCancelsWhatWasAcceptedMeanwhile) {
    channel->deliver(offerFrame(reviewJob("J1")));
    auto outcome = start();
    EXPECT_EQ(channel->sent().back(), acceptText("J1"));

    advance(30s - 1ns);
    EXPECT_FALSE(outcome->done);
    EXPECT_TRUE(runner->jobIds(Kind::cancel).empty());

    advance(1ns);
    auto error = errorOf<ConnectionError>(outcome);
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, ConnectionError::welcomeTimedOut());
    EXPECT_TRUE(channel->closedByCancellation());
    EXPECT_EQ(callLog(*runner), (std::vector<std::string>{"reserve J1", "start J1", "cancel J1"}));
}

TEST_F(DeviceSessionTest, CancellingTheRunStillCancelsItsJobsInATaskOfTheirOwn) {
    channel->deliver(welcomeFrame("n1", 60000));
    channel->deliver(offerFrame(reviewJob("J1")));
    channel->deliver(offerFrame(reviewJob("J2")));
    auto outcome = start();
    ASSERT_EQ(runner->jobIds(Kind::start), (std::vector<std::string>{"J1", "J2"}));

    signals.back()->emit(boost::asio::cancellation_type::terminal);
    loop.drain();

    EXPECT_TRUE(endedByCancellation(outcome));
    EXPECT_EQ(runner->completedCancels(), (std::vector<std::string>{"J1", "J2"}));
    // The renewal cycle ended with the run.
    EXPECT_EQ(clock->sleeperCount(), 0u);
}

TEST_F(DeviceSessionTest, ACancelledRunDropsTheOfferBeingTakenAndGivesItsPlaceBack) {
    using Hold = RecordingJobRunner::Hold;
    struct Case {
        const char* name;
        bool holdsTheStart;
        Hold hold;
        std::vector<std::string> calls;
        bool accepted;
    };
    const std::vector<Case> cases = {
        // A reserve cut short holds no place.
        {"reserve that ends when cancelled", false, Hold::cancellable, {"reserve J1"}, false},
        // One that answers with a place anyway (a login-shell lookup cannot be stopped): no accept,
        // no start, and the place goes back.
        {"reserve that carries on", false, Hold::regardless, {"reserve J1", "release J1"}, false},
        {"start that ends when cancelled",
         true,
         Hold::cancellable,
         {"reserve J1", "start J1", "release J1", "cancel J1"},
         true},
        // A job that started all the same is cancelled with the session.
        {"start that carries on", true, Hold::regardless, {"reserve J1", "start J1", "cancel J1"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        channel = std::make_shared<ScriptedWebSocketChannel>();
        runner = std::make_shared<RecordingJobRunner>();
        if (c.holdsTheStart)
            runner->holdStarts(c.hold);
        else
            runner->holdReserves(c.hold);
        channel->deliver(welcomeFrame("n1", 60000));
        channel->deliver(offerFrame(reviewJob("J1")));
        auto outcome = start();
        ASSERT_EQ(runner->heldCalls(), 1u);

        signals.back()->emit(boost::asio::cancellation_type::terminal);
        loop.drain();
        runner->openGate();
        loop.drain();

        EXPECT_TRUE(endedByCancellation(outcome));
        EXPECT_EQ(callLog(*runner), c.calls);
        std::vector<std::string> sentTypes{"hello"};
        if (c.accepted)
            sentTypes.push_back("job.accept");
        EXPECT_EQ(channel->sentTypes(), sentTypes);
        EXPECT_EQ(runner->placesTaken(), 0u);
    }
}

TEST_F(DeviceSessionTest, ARenewedFrameBeforeTheWelcomeKeepsTheScheduleItStarted) {
    channel->deliver(renewedFrame("n0", 60000));
    channel->deliver(welcomeFrame("n1", 10000));
    auto outcome = start();
    ASSERT_EQ(welcomes.size(), 1u);

    advance(5s);
    EXPECT_TRUE(provedNonces(*channel).empty());
    advance(25s);
    EXPECT_EQ(provedNonces(*channel), std::vector<std::string>{"n0"});
    EXPECT_FALSE(outcome->done);
}

TEST_F(DeviceSessionTest, ALaterWelcomeOnlyPassesItsProfileOn) {
    struct Case {
        const char* name;
        bool withLaterProfiles;
    };
    for (const auto& c : {Case{"with a receiver", true}, Case{"without one", false}}) {
        SCOPED_TRACE(c.name);
        TearDown();
        channel = std::make_shared<ScriptedWebSocketChannel>();
        welcomes.clear();
        std::vector<DeviceProfile> later;
        DeviceSession::LaterProfiles receiver;
        if (c.withLaterProfiles)
            receiver = [&later](const DeviceProfile& profile) { later.push_back(profile); };
        channel->deliver(welcomeFrame("n1", 60000, profileJson("First")));
        channel->deliver(welcomeFrame("n2", 1000, profileJson("Second")));
        channel->deliver(welcomeFrame("n3", 1000));
        auto begun = clock->now();
        auto outcome = start(makeSession(channel, runner, nullptr, receiver));

        ASSERT_EQ(welcomes.size(), 1u);
        EXPECT_EQ(welcomes[0].nonce, "n1");
        if (c.withLaterProfiles) {
            ASSERT_EQ(later.size(), 1u);
            EXPECT_EQ(later[0].organization.name, "Second");
        }
        // The schedule keeps the first welcome's nonce and window.
        advance(2s);
        EXPECT_TRUE(provedNonces(*channel).empty());
        advance(begun + 30s - clock->now());
        EXPECT_EQ(provedNonces(*channel), std::vector<std::string>{"n1"});
        EXPECT_FALSE(outcome->done);
    }
}

TEST_F(DeviceSessionTest, ProvesTheNonceForTheSocketEndpoint) {
    channel->deliver(welcomeFrame("n/1", 60000));
    start();
    advance(30s);

    auto proofs = channel->sentOfType("proof");
    ASSERT_EQ(proofs.size(), 1u);
    auto object = Json::parse(proofs[0]);
    EXPECT_EQ(object.size(), 4u);
    EXPECT_EQ(object.at("v"), 1);
    EXPECT_EQ(object.at("nonce"), "n/1");
    // Slashes stay unescaped in the frame.
    EXPECT_NE(proofs[0].find(R"("nonce":"n/1")"), std::string::npos);

    auto proof = object.at("proof").get<std::string>();
    auto first = proof.find('.');
    auto second = proof.find('.', first + 1);
    auto payload = Base64URL::decode(proof.substr(first + 1, second - first - 1));
    ASSERT_TRUE(payload);
    auto claims = Json::parse(toString(*payload));
    EXPECT_EQ(claims.at("htm"), "WS");
    EXPECT_EQ(claims.at("htu"), "https://velto.example/base/api/devices/connect");
    EXPECT_EQ(claims.at("nonce"), "n/1");
    EXPECT_EQ(claims.at("jti"), "JTI-1");
}

TEST_F(DeviceSessionTest, RenewalFailuresEndTheRun) {
    struct Case {
        const char* name;
        bool proofSendFails;
        Clock::Duration endsAt;
        ConnectionError expected;
    };
    const std::vector<Case> cases = {
        {"unanswered", false, 90s, ConnectionError::renewalUnanswered()},
        {"proof not sent", true, 30s, ConnectionError::dropped("write failed")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        channel = std::make_shared<ScriptedWebSocketChannel>();
        runner = std::make_shared<RecordingJobRunner>();
        if (c.proofSendFails)
            channel->failSendsContaining(R"("type":"proof")",
                                         std::make_exception_ptr(ConnectionError::dropped("write failed")));
        channel->deliver(welcomeFrame("n1", 60000));
        channel->deliver(offerFrame(reviewJob("J1")));
        auto outcome = start();

        // In steps, as each wait of the schedule starts when the one before it ends.
        advance(30s - 1ms);
        if (c.endsAt > 30s) {
            advance(1ms);
            EXPECT_EQ(provedNonces(*channel), std::vector<std::string>{"n1"});
            advance(c.endsAt - 30s - 1ms);
        }
        EXPECT_FALSE(outcome->done);
        advance(1ms);
        auto error = errorOf<ConnectionError>(outcome);
        ASSERT_TRUE(error);
        EXPECT_EQ(*error, c.expected);
        // The pending receive was cancelled, which closes the socket.
        EXPECT_TRUE(channel->closedByCancellation());
        EXPECT_EQ(runner->jobIds(Kind::cancel), std::vector<std::string>{"J1"});
        EXPECT_EQ(clock->sleeperCount(), 0u);
    }
}

TEST_F(DeviceSessionTest, AReceiveFailureAfterTheWelcomeEndsTheRunWithIt) {
    channel->deliver(welcomeFrame("n1", 60000));
    auto outcome = start();
    EXPECT_FALSE(outcome->done);

    channel->fail(ConnectionError::closedByServer(1000));
    loop.drain();
    auto error = errorOf<ConnectionError>(outcome);
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, ConnectionError::closedByServer(1000));
    EXPECT_EQ(clock->sleeperCount(), 0u);
    advance(60s);
    EXPECT_TRUE(provedNonces(*channel).empty());
}

TEST_F(DeviceSessionTest, SkipsBinaryUnreadableAndForeignFramesAndGoesOn) {
    channel->deliver(welcomeFrame("n1", 60000));
    channel->deliverBinary();
    channel->deliver("this is not JSON");
    channel->deliver(R"({"v":"1","type":"job.cancel","jobId":"J1"})");
    channel->deliver(R"({"v":2,"type":"job.offer","job":{"jobId":"J0","harness":"codex"}})");
    channel->deliver(frame({{"type", "device.reboot"}}));
    channel->deliver(offerFrame(reviewJob("J1")));
    auto outcome = start();

    EXPECT_FALSE(outcome->done);
    EXPECT_EQ(runner->jobIds(Kind::reserve), std::vector<std::string>{"J1"});
    auto lines = logs->lines();
    std::vector<std::pair<LogLevel, std::string>> session;
    for (const auto& line : lines) {
        if (line.category == "session")
            session.emplace_back(line.level, line.message);
    }
    EXPECT_EQ(session, (std::vector<std::pair<LogLevel, std::string>>{
                           {LogLevel::error, "skipped an unreadable frame from Velto"},
                           {LogLevel::error, "skipped an unreadable frame from Velto"},
                           {LogLevel::info, "accepted job J1 for acme/api"},
                       }));
}

TEST_F(DeviceSessionTest, TakesOrDeclinesEachOffer) {
    struct Case {
        const char* name;
        Json job;
        bool withRunner;
        std::optional<JobDeclineReason> reserveAnswer;
        std::vector<Kind> runnerCalls;
        std::string reply;
        std::string log;
    };
    Json sreRun{{"jobId", "J1"}, {"harness", "claude"}, {"subject", {{"kind", "sre-run"}, {"id", "S9"}}}};
    Json otherSubject = reviewJob("J1");
    otherSubject["subject"] = {{"kind", "sre-question"}, {"id", "Q1"}};
    Json repositoryOnly{
        {"jobId", "J1"}, {"harness", "claude"}, {"repository", {{"owner", "acme"}, {"name", "api"}}}};
    Json bare{{"jobId", "J1"}, {"harness", "claude"}, {"reviewId", nullptr}};
    const std::vector<Case> cases = {
        {"review",
         reviewJob("J1"),
         true,
         std::nullopt,
         {Kind::reserve, Kind::start},
         acceptText("J1"),
         "accepted job J1 for acme/api"},
        {"sre run without review",
         sreRun,
         true,
         std::nullopt,
         {Kind::reserve, Kind::start},
         acceptText("J1"),
         "accepted job J1 for SRE run S9"},
        {"other subject kind",
         otherSubject,
         true,
         std::nullopt,
         {},
         declineText("J1", "not-supported"),
         "declined job J1: not-supported"},
        {"repository without review",
         repositoryOnly,
         true,
         std::nullopt,
         {},
         declineText("J1", "not-supported"),
         "declined job J1: not-supported"},
        {"neither subject nor repository",
         bare,
         true,
         std::nullopt,
         {},
         declineText("J1", "not-supported"),
         "declined job J1: not-supported"},
        {"no runner",
         reviewJob("J1"),
         false,
         std::nullopt,
         {},
         declineText("J1", "not-supported"),
         "declined job J1: not-supported"},
        {"runner busy",
         reviewJob("J1"),
         true,
         JobDeclineReason::busy,
         {Kind::reserve},
         declineText("J1", "busy"),
         "declined job J1: busy"},
        {"runner unavailable",
         reviewJob("J1"),
         true,
         JobDeclineReason::runnerUnavailable,
         {Kind::reserve},
         declineText("J1", "runner-unavailable"),
         "declined job J1: runner-unavailable"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        logs = CapturingLogSink::install();
        channel = std::make_shared<ScriptedWebSocketChannel>();
        runner = std::make_shared<RecordingJobRunner>();
        if (c.reserveAnswer)
            runner->declineEveryReserve(*c.reserveAnswer);
        channel->deliver(welcomeFrame("n1", 60000));
        channel->deliver(offerFrame(c.job));
        auto session = makeSession(channel, c.withRunner ? runner : nullptr);
        auto outcome = start(session);

        if (c.withRunner) {
            std::vector<Kind> kinds;
            for (const auto& call : runner->calls())
                kinds.push_back(call.kind);
            EXPECT_EQ(kinds, c.runnerCalls);
        }
        std::vector<std::string> accepted;
        if (c.reply == acceptText("J1"))
            accepted.push_back("J1");
        EXPECT_EQ(session.acceptedJobs()->jobIds(), accepted);
        ASSERT_EQ(channel->sent().size(), 2u);
        EXPECT_EQ(channel->sent()[1], c.reply);
        EXPECT_EQ(sessionLogs(), std::vector<std::string>{c.log});
        EXPECT_FALSE(outcome->done);
    }
}

TEST_F(DeviceSessionTest, HandsTheRunnerTheJobObjectAndASendThatNeverFails) {
    channel->deliver(welcomeFrame("n1", 60000));
    channel->deliver(offerFrame(reviewJob("J1")));
    start();
    ASSERT_EQ(runner->calls().size(), 2u);
    EXPECT_EQ(Json::parse(runner->calls()[1].text), reviewJob("J1"));

    // The relay's frames go to this session's channel; once it has gone they are dropped quietly.
    auto send = runner->sendOf("J1");
    auto relayed = loop.spawn(send(R"({"jobId":"J1","type":"job.event","v":1})"));
    loop.drain();
    EXPECT_NO_THROW(relayed->get());
    EXPECT_EQ(channel->sent().back(), R"({"jobId":"J1","type":"job.event","v":1})");

    channel->close();
    auto late = loop.spawn(send(R"({"jobId":"J1","type":"job.event","v":1})"));
    loop.drain();
    EXPECT_NO_THROW(late->get());
}

TEST_F(DeviceSessionTest, AJobThatCannotStartGetsOneFailedFinishAndNoDecline) {
    // A runner's error of the cancellation kind is a failed start too: only the session's own
    // cancellation ends the session.
    const std::exception_ptr errors[] = {
        std::make_exception_ptr(std::runtime_error("Node.js is not installed.")),
        std::make_exception_ptr(boost::system::system_error(boost::asio::error::operation_aborted)),
    };
    for (const auto& error : errors) {
        const std::string text = describe(error);
        SCOPED_TRACE(text);
        TearDown();
        logs = CapturingLogSink::install();
        channel = std::make_shared<ScriptedWebSocketChannel>();
        runner = std::make_shared<RecordingJobRunner>();
        runner->failStart("J1", error);
        channel->deliver(welcomeFrame("n1", 60000));
        channel->deliver(offerFrame(reviewJob("J1")));
        channel->deliver(offerFrame(reviewJob("J2")));
        auto outcome = start();

        EXPECT_FALSE(outcome->done);
        EXPECT_EQ(channel->sentTypes(),
                  (std::vector<std::string>{"hello", "job.accept", "job.finish", "job.accept"}));
        EXPECT_EQ(
            channel->sentOfType("job.finish"),
            std::vector<std::string>{
                R"({"jobId":"J1","result":{"error":"The runner on this computer could not start.","finalText":"",)"
                R"("model":null,"retryAfter":null,"status":"failed","usage":null},"type":"job.finish","v":1})"});
        // The runner gave its place back itself.
        EXPECT_TRUE(runner->jobIds(Kind::release).empty());
        EXPECT_EQ(runner->jobIds(Kind::start), (std::vector<std::string>{"J1", "J2"}));
        EXPECT_EQ(sessionLogs(),
                  (std::vector<std::string>{"accepted job J1 for acme/api", "could not start job J1: " + text,
                                            "accepted job J2 for acme/api"}));
        auto lines = logs->lines();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[1].level, LogLevel::error);
    }
}

TEST_F(DeviceSessionTest, OffersNestedTooDeeplyToWriteLeaveEveryPlace) {
    // One level deeper than a job document may be written.
    auto deepJob = [](const std::string& jobId) {
        std::string prompt = std::string(511, '[') + std::string(511, ']');
        return R"({"v":1,"type":"job.offer","job":{"jobId":")" + jobId +
               R"(","reviewId":"r-7","harness":"claude","repository":{"owner":"acme","name":"api"},)"
               R"("prompt":)" +
               prompt + "}}";
    };
    // The shared parse refuses such a frame before the offer is read; were it to read it, the
    // session would reserve a place, find no document to write, give the place back and decline.
    bool decodes = true;
    try {
        (void)ServerMessage::decode(deepJob("D"));
    } catch (const ProtocolError&) {
        decodes = false;
    }
    ASSERT_TRUE(!decodes || !RunnerFrames::jobDocument(deepJob("D")));

    runner->limitPlaces(16);
    channel->deliver(welcomeFrame("n1", 60000));
    auto outcome = start();
    for (int offer = 1; offer <= 17; ++offer)
        channel->deliver(deepJob("D" + std::to_string(offer)));
    loop.drain();
    if (decodes) {
        EXPECT_EQ(channel->sentOfType("job.decline").size(), 17u);
        EXPECT_EQ(channel->sent().back(), declineText("D17", "runner-unavailable"));
        EXPECT_EQ(runner->jobIds(Kind::release).size(), 17u);
    } else {
        EXPECT_EQ(channel->sentTypes(), std::vector<std::string>{"hello"});
        EXPECT_EQ(sessionLogs(), std::vector<std::string>(17, "skipped an unreadable frame from Velto"));
    }
    EXPECT_EQ(runner->placesTaken(), 0u);

    // All sixteen places are still there.
    for (int offer = 1; offer <= 17; ++offer)
        channel->deliver(offerFrame(reviewJob("G" + std::to_string(offer))));
    loop.drain();
    EXPECT_EQ(channel->sentOfType("job.accept").size(), 16u);
    EXPECT_EQ(channel->sent().back(), declineText("G17", "busy"));
    EXPECT_FALSE(outcome->done);
}

TEST_F(DeviceSessionTest, AFailedAcceptGivesThePlaceBackAndEndsTheRun) {
    channel->failSendsContaining("job.accept", std::make_exception_ptr(ConnectionError::dropped("gone")));
    channel->deliver(welcomeFrame("n1", 60000));
    channel->deliver(offerFrame(reviewJob("J1")));
    auto outcome = start();

    auto error = errorOf<ConnectionError>(outcome);
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, ConnectionError::dropped("gone"));
    // Never accepted, so nothing to cancel at the end.
    EXPECT_EQ(callLog(*runner), (std::vector<std::string>{"reserve J1", "release J1"}));
}

TEST_F(DeviceSessionTest, SendFailuresOfTheHelloADeclineAndAFailedFinishEndTheRun) {
    struct Case {
        const char* name;
        const char* failingFragment;
        bool reachesTheWelcome;
        Json job;
    };
    const Json unrunnable{{"jobId", "J1"}, {"harness", "claude"}};
    const Case cases[] = {
        {"hello", R"("type":"hello")", false, unrunnable},
        {"decline", "job.decline", true, unrunnable},
        {"failed finish", "job.finish", true, reviewJob("J1")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        welcomes.clear();
        channel = std::make_shared<ScriptedWebSocketChannel>();
        runner = std::make_shared<RecordingJobRunner>();
        runner->failStart("J1", std::make_exception_ptr(std::runtime_error("no node")));
        channel->failSendsContaining(c.failingFragment,
                                     std::make_exception_ptr(ConnectionError::dropped("gone")));
        channel->deliver(welcomeFrame("n1", 60000));
        channel->deliver(offerFrame(c.job));
        auto outcome = start();

        auto error = errorOf<ConnectionError>(outcome);
        ASSERT_TRUE(error);
        EXPECT_EQ(*error, ConnectionError::dropped("gone"));
        EXPECT_EQ(welcomes.size(), c.reachesTheWelcome ? 1u : 0u);
    }
}

TEST_F(DeviceSessionTest, AnIdOfferedTwiceIsCancelledOnce) {
    channel->deliver(welcomeFrame("n1", 60000));
    channel->deliver(offerFrame(reviewJob("J1")));
    channel->deliver(offerFrame(reviewJob("J1")));
    channel->deliver(offerFrame(reviewJob("J2")));
    auto session = makeSession(channel, runner);
    auto outcome = start(session);
    EXPECT_EQ(session.acceptedJobs()->jobIds(), (std::vector<std::string>{"J1", "J2"}));

    channel->fail(ConnectionError::dropped("gone"));
    loop.drain();
    ASSERT_TRUE(outcome->done);
    EXPECT_EQ(runner->jobIds(Kind::cancel), (std::vector<std::string>{"J1", "J2"}));
}

TEST_F(DeviceSessionTest, CancellationsAndToolResultsReachOnlyTheSessionsOwnJobs) {
    // Two organizations' sessions share the one runner; J1 was accepted by the first only.
    auto first = channel;
    auto second = std::make_shared<ScriptedWebSocketChannel>();
    first->deliver(welcomeFrame("n1", 60000));
    first->deliver(offerFrame(reviewJob("J1")));
    second->deliver(welcomeFrame("m1", 60000));
    auto firstRun = start(makeSession(first, runner));
    auto secondSession = makeSession(second, runner);
    auto secondRun = start(secondSession);
    ASSERT_EQ(runner->calls().size(), 2u);

    second->deliver(toolResultFrame("J1"));
    second->deliver(cancelFrame("J1"));
    loop.drain();
    EXPECT_EQ(runner->calls().size(), 2u);
    EXPECT_EQ(sessionLogs(), (std::vector<std::string>{
                                 "accepted job J1 for acme/api",
                                 "ignored a tool result for job J1, which this session did not accept",
                                 "ignored a cancellation of job J1, which this session did not accept"}));

    first->deliver(toolResultFrame("J1"));
    first->deliver(cancelFrame("J1"));
    first->deliver(cancelFrame("J7"));
    loop.drain();
    EXPECT_EQ(callLog(*runner),
              (std::vector<std::string>{"reserve J1", "start J1", "deliver J1", "cancel J1"}));
    // The tool result travels on as the server wrote it.
    EXPECT_EQ(runner->calls()[2].text, toolResultFrame("J1"));

    // The second session ending cancels nothing of the first's.
    second->fail(ConnectionError::dropped("gone"));
    loop.drain();
    ASSERT_TRUE(secondRun->done);
    EXPECT_TRUE(secondSession.acceptedJobs()->jobIds().empty());
    EXPECT_EQ(runner->jobIds(Kind::cancel), std::vector<std::string>{"J1"});
    EXPECT_FALSE(firstRun->done);
}

TEST_F(DeviceSessionTest, WithoutARunnerCancellationsAndToolResultsHaveNoEffect) {
    channel->deliver(welcomeFrame("n1", 60000));
    channel->deliver(toolResultFrame("J1"));
    channel->deliver(cancelFrame("J1"));
    auto outcome = start(makeSession(channel, nullptr));
    EXPECT_FALSE(outcome->done);
    EXPECT_EQ(channel->sentTypes(), std::vector<std::string>{"hello"});
    EXPECT_TRUE(sessionLogs().empty());

    // The session went on past them.
    deliver(offerFrame(reviewJob("J1")));
    EXPECT_EQ(channel->sent().back(), declineText("J1", "not-supported"));
    EXPECT_FALSE(outcome->done);
}

TEST_F(DeviceSessionTest, UpdateOffersGoToTheReceiverWhenThereIsOne) {
    auto update = frame({{"type", "update"},
                         {"version", "2.0.0"},
                         {"url", "https://velto.example/app.zip"},
                         {"sha256", "ab12"},
                         {"signature", "c2ln"}});
    for (bool withReceiver : {true, false}) {
        SCOPED_TRACE(withReceiver);
        TearDown();
        channel = std::make_shared<ScriptedWebSocketChannel>();
        auto updates = std::make_shared<RecordingUpdates>();
        channel->deliver(welcomeFrame("n1", 60000));
        channel->deliver(update);
        channel->deliver(offerFrame(reviewJob("J1")));
        auto outcome = start(makeSession(channel, runner, withReceiver ? updates : nullptr));

        EXPECT_FALSE(outcome->done);
        if (withReceiver) {
            EXPECT_EQ(updates->offers, (std::vector<ServerMessage::UpdateOffer>{
                                           {"2.0.0", "https://velto.example/app.zip", "ab12", "c2ln"}}));
        }
        EXPECT_EQ(channel->sent().back(), acceptText("J1"));
    }
}

} // namespace
} // namespace velto
