#include "VeltoDevice/Update/UpdateProgress.hpp"

#include <boost/asio/co_spawn.hpp>
#include <boost/asio/detached.hpp>

#include "ModelFixture.hpp"
#include "RecordingSocket.hpp"

namespace velto {
namespace {

using testing::ModelFixture;
using testing::RecordingSocket;

class HelloTest : public ModelFixture {
protected:
    /// A recording socket in the socket set, to see what is announced and wished.
    std::shared_ptr<RecordingSocket> addSocket() {
        auto socket = std::make_shared<RecordingSocket>();
        boost::asio::co_spawn(loop.device, services->sockets->add(socket, "rec"), boost::asio::detached);
        loop.drain();
        return socket;
    }

    void push(UpdateProgress progress) {
        services->updates->progress().push(std::move(progress));
        loop.drain();
    }
};

TEST_F(HelloTest, CapacityIsOfferedOnlyWhenLendingWithARunnerAndNoUpdateWaiting) {
    struct Case {
        bool lends;
        bool runner;
        bool updateWaits;
        int capacity;
    };
    for (const auto& c : std::vector<Case>{{true, true, false, 16},
                                           {false, true, false, 0},
                                           {true, false, false, 0},
                                           {true, true, true, 0}}) {
        SCOPED_TRACE(::testing::PrintToString(std::vector<bool>{c.lends, c.runner, c.updateWaits}));
        services = std::make_shared<testing::TestServices>(loop);
        services->runner->available = c.runner;
        build();
        model->preferences().setLendsSubscriptions(c.lends);
        model->startUpdates([] {});
        loop.run(model->harnesses().refresh());
        if (c.updateWaits)
            push(UpdateProgress::waitingForReview("2.0.0"));
        auto hello = model->helloSnapshot();
        EXPECT_EQ(hello.capacity, c.capacity);
        EXPECT_EQ(hello.appVersion, "1.4.2");
        model.reset();
        loop.drain();
    }
}

TEST_F(HelloTest, ARefreshAnnouncesWhenTheHarnessesOrTheRunnerChanged) {
    services->detected = {
        HarnessStatus::installed(HarnessKind::claudeCode, "/bin/claude", "2.1", LoginState::signedOut)};
    build();
    auto socket = addSocket();
    loop.run(model->harnesses().refresh());
    EXPECT_EQ(socket->hellos.size(), 1u) << "the first detection changed the inventory";
    EXPECT_EQ(model->harnesses().canRunJobs(), true);

    loop.run(model->harnesses().refresh());
    EXPECT_EQ(socket->hellos.size(), 1u) << "nothing changed";

    services->runner->runnerGeneration = 2;
    loop.run(model->harnesses().refresh());
    ASSERT_EQ(socket->hellos.size(), 2u) << "a new runner generation";
    EXPECT_EQ(socket->hellos.back().runner, 2);

    services->runner->available = false;
    loop.run(model->harnesses().refresh());
    ASSERT_EQ(socket->hellos.size(), 3u) << "the runner is gone";
    EXPECT_EQ(socket->hellos.back().capacity, 0);
    ASSERT_EQ(socket->hellos.back().harnesses.size(), 1u);
    EXPECT_EQ(socket->hellos.back().harnesses[0].kind, HarnessKind::claudeCode);
}

TEST_F(HelloTest, AChangedCatalogIsAnnouncedWithItsModelsAndAnUnchangedOneIsNot) {
    ModelCatalog catalog;
    catalog.models[HarnessKind::claudeCode] = {HarnessModel{"sonnet", "Sonnet", {}, std::nullopt}};
    services->catalog = catalog;
    services->detected = {
        HarnessStatus::installed(HarnessKind::claudeCode, "/bin/claude", "2.1", LoginState::signedIn),
        HarnessStatus::installed(HarnessKind::codex, "/bin/codex", "0.9", LoginState::signedOut)};
    build();
    auto socket = addSocket();
    loop.run(model->harnesses().refresh());
    loop.drain();
    ASSERT_EQ(socket->hellos.size(), 2u) << "the inventory changed, then the catalog";
    const auto& reports = socket->hellos.back().harnesses;
    ASSERT_EQ(reports.size(), 2u);
    ASSERT_TRUE(reports[0].models);
    EXPECT_EQ(reports[0].models->at(0).id, "sonnet");
    EXPECT_FALSE(reports[1].models) << "models go to signed-in harnesses only";

    services->manualClock->advance(ModelCatalogCache::maxAge);
    loop.run(model->harnesses().refresh());
    loop.drain();
    EXPECT_EQ(services->catalogFetches, 2);
    EXPECT_EQ(socket->hellos.size(), 2u) << "the same catalog again announces nothing";
}

TEST_F(HelloTest, WithNobodySignedInNoCatalogIsFetched) {
    services->detected = {
        HarnessStatus::installed(HarnessKind::codex, "/bin/codex", "0.9", LoginState::unknown)};
    build();
    loop.run(model->harnesses().refresh());
    loop.drain();
    EXPECT_EQ(services->catalogFetches, 0);
    EXPECT_FALSE(model->helloSnapshot().harnesses.at(0).models);
}

TEST_F(HelloTest, MakeHelloDetectsFirstWhenNoHarnessIsKnown) {
    services->detected = {
        HarnessStatus::installed(HarnessKind::muse, "/bin/muse", std::nullopt, LoginState::unknown)};
    build();
    auto hello = loop.run(model->makeHello());
    EXPECT_EQ(services->detections, 1);
    ASSERT_EQ(hello.harnesses.size(), 1u);
    loop.run(model->makeHello());
    EXPECT_EQ(services->detections, 1) << "known harnesses are not detected again";
}

TEST_F(HelloTest, UpdateProgressSetsThePendingVersionAnnouncesAndTerminatesOnceInstalled) {
    build();
    int terminations = 0;
    model->preferences().setLendsSubscriptions(true);
    loop.run(model->harnesses().refresh());
    auto socket = addSocket();
    model->startUpdates([&] { ++terminations; });
    loop.drain();

    push(UpdateProgress::waitingForReview("2.0.0"));
    EXPECT_EQ(model->updates().pendingVersion(), "2.0.0");
    ASSERT_EQ(socket->hellos.size(), 1u);
    EXPECT_EQ(socket->hellos.back().capacity, 0);

    push(UpdateProgress::none());
    EXPECT_FALSE(model->updates().pendingVersion());
    ASSERT_EQ(socket->hellos.size(), 2u);
    EXPECT_EQ(socket->hellos.back().capacity, 16);

    push(UpdateProgress::installed("2.0.0"));
    EXPECT_EQ(terminations, 1);
    EXPECT_EQ(socket->hellos.size(), 2u) << "no hello after an install";
}

TEST_F(HelloTest, EveryRoomEventReannouncesEvenAnUnchangedHello) {
    build();
    auto socket = addSocket();
    model->startUpdates([] {});
    loop.drain();
    services->runner->room.push({});
    loop.drain();
    services->runner->room.push({});
    loop.drain();
    ASSERT_EQ(socket->hellos.size(), 2u);
    EXPECT_TRUE(socket->hellos[0] == socket->hellos[1]);
}

TEST_F(HelloTest, ObservedValuesNotifyOnlyWhenTheyChange) {
    services->detected = {
        HarnessStatus::installed(HarnessKind::claudeCode, "/bin/claude", "2.1", LoginState::signedOut)};
    build();
    int paused = 0, harnesses = 0, runner = 0, generation = 0, pending = 0;
    QObject::connect(model.get(), &AppModel::isPausedChanged, [&] { ++paused; });
    QObject::connect(&model->harnesses(), &HarnessesModel::statusesChanged, [&] { ++harnesses; });
    QObject::connect(&model->harnesses(), &HarnessesModel::canRunJobsChanged, [&] { ++runner; });
    QObject::connect(&model->harnesses(), &HarnessesModel::runnerGenerationChanged, [&] { ++generation; });
    QObject::connect(&model->updates(), &UpdatesModel::pendingVersionChanged, [&] { ++pending; });

    loop.run(model->setPaused(true));
    loop.run(model->setPaused(true));
    loop.run(model->harnesses().refresh());
    loop.run(model->harnesses().refresh());
    model->startUpdates([] {});
    push(UpdateProgress::waitingForReview("2.0.0"));
    push(UpdateProgress::waitingForReview("2.0.0"));
    EXPECT_EQ(paused, 1);
    EXPECT_EQ(harnesses, 1);
    EXPECT_EQ(runner, 1);
    EXPECT_EQ(generation, 0) << "the generation stayed 1";
    EXPECT_EQ(pending, 1);
}

TEST_F(HelloTest, PausingWhileAsleepAndWakingWhilePausedLeaveEverySocketStopped) {
    build();
    auto socket = addSocket();
    loop.run(model->sleep());
    EXPECT_EQ(socket->stops, 1);
    EXPECT_EQ(services->runner->cancelAllCount, 1);
    loop.run(model->setPaused(false));
    EXPECT_EQ(socket->starts, 0) << "un-pausing while asleep connects nothing";

    loop.run(model->setPaused(true));
    loop.run(model->wake());
    EXPECT_EQ(socket->starts, 0) << "waking while paused connects nothing";
    EXPECT_FALSE(model->isAsleep());

    loop.run(model->setPaused(false));
    EXPECT_EQ(socket->starts, 1);
}

TEST_F(HelloTest, QuittingStopsTheJobsWithTheirGraceThenEverySocketForGood) {
    build();
    auto socket = addSocket();
    loop.run(model->setPaused(false));
    ASSERT_EQ(socket->starts, 1);
    loop.run(model->quit(std::chrono::milliseconds(2000), std::chrono::milliseconds(1000)));
    EXPECT_EQ(services->runner->stopAllGraces,
              (std::vector<Clock::Duration>{std::chrono::milliseconds(2000)}));
    EXPECT_EQ(socket->stops, 1);

    loop.run(model->sleep());
    loop.run(model->wake());
    loop.run(model->setPaused(false));
    EXPECT_EQ(socket->starts, 1) << "a socket started again while quitting";
}

} // namespace
} // namespace velto
