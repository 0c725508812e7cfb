#include "VeltoDevice/Server/ConnectionError.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "ConnectedDeviceTest.hpp"
#include "RecordingJobRunner.hpp"

namespace velto {
namespace {

using namespace std::chrono_literals;
using State = ConnectionState;

/// The connection without a runner or an update receiver.
class DeviceConnectionEndToEnd : public testing::ConnectedDeviceTest {
protected:
    void SetUp() override {
        ConnectedDeviceTest::SetUp();
        makeConnection(SessionHandlers{});
    }
};

TEST_F(DeviceConnectionEndToEnd, AnEnrolledDeviceIsWelcomedWithItsProfileAndKeepsItsSessionProven) {
    peer.control("POST", "/control/connect/config", {{"renewWithinMs", 2000}});
    connect();

    auto profile = loop.run(connection->profiles().next(), 20s);
    ASSERT_TRUE(profile);
    EXPECT_EQ(profile->organization, (DeviceProfile::Organization{"org-acme", "Acme", std::nullopt}));
    EXPECT_EQ(profile->user,
              (DeviceProfile::User{"ada", "Ada Lovelace", boost::urls::url("https://cdn.example/ada.png")}));

    Json sessions =
        sessionsWhen([](const Json& all) { return all.size() == 1 && all[0]["welcomed"] == true; });
    ASSERT_EQ(sessions.size(), 1u);
    const Json& session = sessions[0];
    EXPECT_EQ(session["deviceId"], enrollment->deviceId);
    EXPECT_EQ(session["helloProblems"], Json::array());
    EXPECT_EQ(session["frames"][0], Json::parse(R"({"v":1,"type":"hello","appVersion":"1.4.2","capacity":0,
        "runner":1,"harnesses":[{"kind":"claude-code","version":"2.1.0","signedIn":true}]})"));

    // Each proof goes out half-way through the window, answers the nonce the peer sent last, and is
    // verified by the peer's own JOSE library.
    for (std::size_t renewal = 1; renewal <= 2; ++renewal) {
        SCOPED_TRACE(renewal);
        advance(1s);
        sessions = sessionsWhen([renewal](const Json& all) { return all[0]["proofs"].size() == renewal; });
        const Json& proof = sessions[0]["proofs"][renewal - 1];
        EXPECT_EQ(proof["verified"], true) << proof.dump();
        EXPECT_EQ(proof["nonce"], sessions[0]["sent"][renewal - 1]["nonce"]);
    }
    Json seen = peer.stats();
    // The enroll request, the upgrade and the two renewals.
    EXPECT_EQ(seen["verifiedProofs"], 4);
    EXPECT_EQ(seen["rejectedProofs"], 0) << seen["rejections"].dump();
    EXPECT_EQ(connection->states().bufferedCount(), 0u);
}

TEST_F(DeviceConnectionEndToEnd, AToolVersionThatIsNotUTF8StillConnectsAndReachesThePeerRepaired) {
    hello.harnesses = {HarnessReport{HarnessKind::codex, std::string("0.9\xff"), true, std::nullopt}};
    connect();
    Json sessions =
        sessionsWhen([](const Json& all) { return all.size() == 1 && all[0]["welcomed"] == true; });
    ASSERT_EQ(sessions.size(), 1u);
    EXPECT_EQ(sessions[0]["helloProblems"], Json::array());
    EXPECT_EQ(sessions[0]["frames"][0]["harnesses"][0]["version"], "0.9\uFFFD");
}

TEST_F(DeviceConnectionEndToEnd, OffersAreDeclinedAsNotSupportedWithoutARunner) {
    connect();
    peer.control("POST", "/control/connect/send",
                 {{"frame", Json::parse(R"({"v":1,"type":"job.offer","job":{"jobId":"job-1","reviewId":"r-1",
                     "harness":"claude-code","repository":{"owner":"acme","name":"api"}}})")}});
    Json sessions = sessionsWhen([](const Json& all) { return all[0]["frames"].size() == 2; });
    EXPECT_EQ(sessions[0]["frames"][1], Json::parse(R"({"v":1,"type":"job.decline","jobId":"job-1",
        "reason":"not-supported"})"));
}

TEST_F(DeviceConnectionEndToEnd, AStopWhileTheRunnerIsStillReservingClosesWith1001AndAcceptsNothing) {
    // A reserve that cannot be cut short, as the login-shell lookup behind it cannot.
    auto runner = std::make_shared<testing::RecordingJobRunner>();
    runner->holdReserves(testing::RecordingJobRunner::Hold::regardless);
    makeConnection(SessionHandlers{runner, nullptr});
    connect();
    peer.control("POST", "/control/connect/send",
                 {{"frame", Json::parse(R"({"v":1,"type":"job.offer","job":{"jobId":"job-1","reviewId":"r-1",
                     "harness":"claude-code","repository":{"owner":"acme","name":"api"}}})")}});
    auto deadline = std::chrono::steady_clock::now() + 20s;
    while (runner->heldCalls() == 0 && std::chrono::steady_clock::now() < deadline) {
        loop.context().restart();
        loop.context().run_for(20ms);
    }
    ASSERT_EQ(runner->heldCalls(), 1u);

    loop.run(connection->stop());
    Json sessions = sessionsWhen([](const Json& all) { return all[0]["open"] == false; });
    EXPECT_EQ(sessions[0]["closed"]["code"], 1001);
    EXPECT_EQ(runner->heldCalls(), 1u);

    runner->openGate();
    loop.drain();
    EXPECT_EQ(runner->placesTaken(), 0u);
    sessions = peer.control("GET", "/control/connect/sessions")["sessions"];
    ASSERT_EQ(sessions.size(), 1u);
    EXPECT_EQ(sessions[0]["frames"].size(), 1u) << sessions[0]["frames"].dump();
}

TEST_F(DeviceConnectionEndToEnd, AServerCloseWith4003StopsTheConnection) {
    connect();
    peer.control("POST", "/control/connect/close", {{"code", 4003}});
    EXPECT_EQ(nextState(), State::stopped(ConnectionError::revoked().description()));

    advance(10min);
    Json sessions = sessionsWhen([](const Json& all) { return all[0]["open"] == false; });
    EXPECT_EQ(sessions.size(), 1u);
    EXPECT_EQ(sessions[0]["closed"]["code"], 4003);
    EXPECT_EQ(connection->states().bufferedCount(), 0u);
}

TEST_F(DeviceConnectionEndToEnd, APeerRestartedMidSessionIsRedialledWithinTheFirstBackoff) {
    connect();
    peer.control("POST", "/control/connect/restart");

    State retrying = nextState();
    ASSERT_EQ(retrying.kind(), State::Case::retrying) << retrying;
    EXPECT_GE(retrying.afterMilliseconds(), 500);
    EXPECT_LE(retrying.afterMilliseconds(), 1000);
    EXPECT_EQ(retrying.reason().rfind("The connection to Velto dropped: ", 0), 0u) << retrying.reason();

    advance(std::chrono::milliseconds(retrying.afterMilliseconds() - 1));
    EXPECT_EQ(connection->states().bufferedCount(), 0u);
    advance(1ms);
    EXPECT_EQ(nextState(), State::connecting());
    EXPECT_EQ(nextState(), State::connected(enrollment->deviceId));

    Json sessions =
        sessionsWhen([](const Json& all) { return all.size() == 2 && all[1]["welcomed"] == true; });
    EXPECT_EQ(sessions[0]["open"], false);
    EXPECT_EQ(sessions[1]["deviceId"], enrollment->deviceId);
    EXPECT_NE(sessions[1]["upgradeNonce"], sessions[0]["upgradeNonce"]);
    Json seen = peer.stats();
    EXPECT_EQ(seen["rejectedProofs"], 0) << seen["rejections"].dump();
}

} // namespace
} // namespace velto
