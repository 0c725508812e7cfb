#include "VeltoDevice/Connection/ConnectionState.hpp"
#include "VeltoDevice/Connection/OrganizationSockets.hpp"
#include "VeltoDevice/Connection/OverallConnection.hpp"
#include "VeltoDevice/Server/ConnectionError.hpp"

#include <boost/asio/post.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "CapturingLogSink.hpp"
#include "ManualClock.hpp"
#include "ScriptedConnection.hpp"

namespace velto {
namespace {

using namespace std::chrono_literals;
using testing::AsyncTestLoop;
using testing::ScriptedConnection;
using State = ConnectionState;

/// Records every call in a journal shared by all sockets of a test, then yields to the loop once,
/// as a call to another actor would.
class RecordingSocket final : public OrganizationSocket {
public:
    RecordingSocket(std::string name, std::vector<std::string>& journal)
        : name_(std::move(name)), journal_(journal) {}

    boost::asio::awaitable<void> start() override { return record("start " + name_); }
    boost::asio::awaitable<void> stop() override { return record("stop " + name_); }
    boost::asio::awaitable<void> announce(DeviceMessage::Hello hello) override {
        return record("announce " + name_ + " " + hello.appVersion);
    }

private:
    boost::asio::awaitable<void> record(std::string entry) {
        journal_.push_back(std::move(entry));
        co_await boost::asio::post(co_await boost::asio::this_coro::executor, boost::asio::use_awaitable);
    }

    std::string name_;
    std::vector<std::string>& journal_;
};

class OrganizationSocketsTest : public ::testing::Test {
protected:
    std::shared_ptr<RecordingSocket> socket(const std::string& name) {
        return std::make_shared<RecordingSocket>(name, journal);
    }

    void run(boost::asio::awaitable<void> operation) {
        loop.spawn(std::move(operation));
        loop.drain();
    }

    /// Registers sockets "a", "b" and "c" under the keys "org-a", "org-b" and "org-c".
    void addThree() {
        for (const char* name : {"a", "b", "c"})
            run(sockets.add(socket(name), std::string("org-") + name));
    }

    AsyncTestLoop loop;
    OrganizationSockets sockets;
    std::vector<std::string> journal;
};

using Journal = std::vector<std::string>;

TEST_F(OrganizationSocketsTest, AKeyAddedTwiceKeepsItsFirstPlaceAndTheNewerSocket) {
    auto first = socket("first");
    auto newer = socket("newer");
    run(sockets.add(first, "org-a"));
    run(sockets.add(socket("b"), "org-b"));
    run(sockets.add(newer, "org-a"));

    EXPECT_EQ(sockets.ids(), (Journal{"org-a", "org-b"}));
    EXPECT_EQ(sockets.socket("org-a"), newer);
    // The replaced socket is told nothing.
    EXPECT_TRUE(journal.empty());

    run(sockets.apply(true));
    EXPECT_EQ(journal, (Journal{"start newer", "start b"}));
}

TEST_F(OrganizationSocketsTest, RemovingAKeyStopsItsSocketAndAnUnknownKeyDoesNothing) {
    addThree();
    run(sockets.remove("org-b"));
    EXPECT_EQ(sockets.ids(), (Journal{"org-a", "org-c"}));
    EXPECT_EQ(sockets.socket("org-b"), nullptr);
    EXPECT_EQ(journal, Journal{"stop b"});

    run(sockets.remove("org-unknown"));
    run(sockets.remove("org-b"));
    EXPECT_EQ(sockets.ids(), (Journal{"org-a", "org-c"}));
    EXPECT_EQ(journal, Journal{"stop b"});
}

TEST_F(OrganizationSocketsTest, OfTwoOverlappingPassesTheLaterDecides) {
    struct Row {
        bool first;
        bool second;
        Journal journal;
    };
    const std::vector<Row> rows = {
        {true, false, {"start a", "stop a", "stop b", "stop c"}},
        {false, true, {"stop a", "start a", "start b", "start c"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.first);
        OrganizationSockets fresh;
        journal.clear();
        for (const char* name : {"a", "b", "c"})
            run(fresh.add(socket(name), std::string("org-") + name));
        loop.spawn(fresh.apply(row.first));
        loop.spawn(fresh.apply(row.second));
        loop.drain();
        EXPECT_EQ(journal, row.journal);
    }
}

TEST_F(OrganizationSocketsTest, APassSkipsAKeyRemovedWhileItWaits) {
    addThree();
    loop.spawn(sockets.apply(true));
    loop.spawn(sockets.remove("org-b"));
    loop.drain();
    EXPECT_EQ(journal, (Journal{"start a", "stop b", "start c"}));
}

TEST_F(OrganizationSocketsTest, AHelloReachesEverySocketInOrderAndOverlappingAnnouncesBothFinish) {
    addThree();
    run(sockets.remove("org-b"));
    journal.clear();
    loop.spawn(sockets.announce({"1.0", {}, 16, 1}));
    loop.spawn(sockets.announce({"2.0", {}, 0, 1}));
    loop.drain();
    EXPECT_EQ(journal, (Journal{"announce a 1.0", "announce a 2.0", "announce c 1.0", "announce c 2.0"}));
}

/// The registry over real connections on scripted sockets.
class OrganizationSocketsOverConnectionsTest : public ::testing::Test {
protected:
    void SetUp() override { testing::CapturingLogSink::install(); }

    void TearDown() override {
        retrying.reset();
        revoked.reset();
        welcomed.reset();
        loop.drain();
    }

    void run(boost::asio::awaitable<void> operation) {
        loop.spawn(std::move(operation));
        loop.drain();
    }

    AsyncTestLoop loop;
    std::shared_ptr<testing::ManualClock> clock = std::make_shared<testing::ManualClock>();
    OrganizationSockets sockets;
    std::unique_ptr<ScriptedConnection> retrying = std::make_unique<ScriptedConnection>(loop, clock);
    std::unique_ptr<ScriptedConnection> revoked = std::make_unique<ScriptedConnection>(loop, clock);
    std::unique_ptr<ScriptedConnection> welcomed = std::make_unique<ScriptedConnection>(loop, clock);
};

TEST_F(OrganizationSocketsOverConnectionsTest, ApplyingTheWishStartsOnlyWhatIsNotRunningAndStopsEverything) {
    run(sockets.add(retrying->connection, "dev-retrying"));
    run(sockets.add(revoked->connection, "dev-revoked"));
    run(sockets.add(welcomed->connection, "dev-welcomed"));
    for (auto* org : {retrying.get(), revoked.get(), welcomed.get()})
        org->answerNonce();
    retrying->dialer->prepare()->fail(ConnectionError::closedByServer(1006));
    revoked->dialer->prepare()->fail(ConnectionError::revoked());
    run(sockets.apply(true));
    welcomed->dialer->latest().deliver(ScriptedConnection::welcomeFrame("dev-welcomed"));
    loop.drain();

    EXPECT_EQ(retrying->states.back(), State::retrying(500, "Velto closed the connection (1006)."));
    EXPECT_EQ(revoked->states.back(), State::stopped(ConnectionError::revoked().description()));
    EXPECT_EQ(welcomed->states.back(), State::connected("dev-welcomed"));

    // Again: the sleeping loop and the welcomed session go on; the revoked one dials anew.
    revoked->answerNonce();
    run(sockets.apply(true));
    EXPECT_EQ(retrying->dialer->dialCount(), 1u);
    EXPECT_EQ(retrying->states.back().kind(), State::Case::retrying);
    EXPECT_EQ(revoked->dialer->dialCount(), 2u);
    EXPECT_EQ(revoked->states.back(), State::connecting());
    EXPECT_EQ(welcomed->dialer->dialCount(), 1u);
    EXPECT_FALSE(welcomed->dialer->latest().isClosed());

    run(sockets.apply(false));
    for (auto* org : {retrying.get(), revoked.get(), welcomed.get()}) {
        EXPECT_EQ(org->states.back(), State::offline());
        if (org->dialer->dialCount() > 0) {
            EXPECT_TRUE(org->dialer->latest().isClosed());
        }
    }
    clock->advance(10min);
    loop.drain();
    EXPECT_EQ(retrying->dialer->dialCount(), 1u);

    std::vector<State> summary;
    for (auto* org : {retrying.get(), revoked.get(), welcomed.get()})
        summary.push_back(org->states.back());
    EXPECT_EQ(overallConnection(summary), OverallConnection::offline);
}

TEST(OverallConnectionTest, SummarisesEveryOrganizationsState) {
    const State connected = State::connected("dev-1");
    const State retrying = State::retrying(500, "Velto closed the connection (1006).");
    const State stopped = State::stopped("Another Velto app took over this computer's connection.");
    struct Row {
        std::vector<State> states;
        OverallConnection summary;
    };
    const std::vector<Row> rows = {
        {{}, OverallConnection::notEnrolled},
        {{connected}, OverallConnection::connected},
        {{connected, connected}, OverallConnection::connected},
        {{connected, State::offline()}, OverallConnection::offline},
        {{State::offline()}, OverallConnection::offline},
        {{connected, retrying}, OverallConnection::connecting},
        {{State::offline(), State::connecting()}, OverallConnection::connecting},
        {{State::connecting(), stopped}, OverallConnection::needsAttention},
        {{stopped, connected}, OverallConnection::needsAttention},
    };
    for (std::size_t index = 0; index < rows.size(); ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(overallConnection(rows[index].states), rows[index].summary);
    }
}

} // namespace
} // namespace velto
