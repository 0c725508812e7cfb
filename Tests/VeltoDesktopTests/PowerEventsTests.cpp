// Sleep and wake as the delegate observes them, through a power source the test drives.
#include "VeltoDesktop/AppDelegate.hpp"
#include "VeltoDesktop/System/PowerEvents.hpp"

#include <boost/asio/co_spawn.hpp>
#include <boost/asio/detached.hpp>

#include <algorithm>

#include "FixedSigningKey.hpp"
#include "ModelFixture.hpp"
#include "RecordingSocket.hpp"

namespace velto {
namespace {

using testing::ModelFixture;
using testing::RecordingSocket;

class PowerEventsTest : public ModelFixture {
protected:
    void SetUp() override {
        services->transport->route("POST", "/api/devices/session",
                                   testing::RoutedTransport::reply(500, "{}"));
        // Known harnesses: a session that opens does not detect them again.
        services->detected = {
            HarnessStatus::installed(HarnessKind::claudeCode, "/bin/claude", "2.1", LoginState::signedIn)};
        build();
        loop.run(model->harnesses().refresh());
        // One organization with an identity, so that a wake has a login to fetch again.
        model->organizations().addAndConnect(enrollment("dev-a", "org-a", "Acme"),
                                             std::make_shared<testing::FixedSigningKey>());
        loop.drain();
        socket = std::make_shared<RecordingSocket>();
        boost::asio::co_spawn(loop.device, services->sockets->add(socket, "rec"), boost::asio::detached);
        loop.drain();
        socket->starts = 0;
        events = std::make_unique<PowerEvents>(loop.mainExecutor(), services->power,
                                               QPointer<AppModel>(model.get()));
        ASSERT_TRUE(events->observe());
    }
    void TearDown() override {
        events.reset();
        ModelFixture::TearDown();
    }

    int loginRequests() const {
        const auto paths = services->transport->paths("POST");
        return static_cast<int>(std::count(paths.begin(), paths.end(), "/api/devices/session"));
    }

    std::shared_ptr<RecordingSocket> socket;
    std::unique_ptr<PowerEvents> events;
};

TEST_F(PowerEventsTest, SleepStopsEverySocketAndEndsTheJobsWakeConnectsUnlessPausedAndRefreshes) {
    for (const bool paused : {false, true}) {
        SCOPED_TRACE(paused ? "paused" : "lending");
        loop.run(model->setPaused(paused));
        const int stops = socket->stops;
        const int starts = socket->starts;
        const int cancels = services->runner->cancelAllCount;
        const int handled = services->power->handledSleeps;
        const int detections = services->detections;
        const int logins = loginRequests();

        services->power->sleep();
        loop.drain();
        EXPECT_TRUE(model->isAsleep());
        EXPECT_EQ(socket->stops, stops + 1);
        EXPECT_EQ(services->runner->cancelAllCount, cancels + 1) << "running jobs end even while paused";
        EXPECT_EQ(services->power->handledSleeps, handled + 1) << "the machine may sleep once the steps end";

        services->power->wake();
        loop.drain();
        EXPECT_FALSE(model->isAsleep());
        EXPECT_EQ(socket->starts, starts + (paused ? 0 : 1));
        EXPECT_EQ(services->detections, detections + 1) << "the harnesses are detected again";
        EXPECT_EQ(loginRequests(), logins + 1) << "the command's logins are fetched again";
    }
}

TEST_F(PowerEventsTest, SleepsThatArriveTogetherAreEachHandledInFull) {
    services->power->sleep();
    services->power->sleep();
    EXPECT_EQ(events->pendingSleeps(), 1u) << "the second waits for the first";
    loop.drain();
    EXPECT_EQ(services->runner->cancelAllCount, 2);
    EXPECT_EQ(services->power->handledSleeps, 2);
    EXPECT_EQ(events->pendingSleeps(), 0u);
}

TEST_F(PowerEventsTest, AfterCancellingNoNotificationHasAnyEffect) {
    const int detections = services->detections;
    events->cancel();
    services->power->sleep();
    services->power->wake();
    loop.drain();
    EXPECT_FALSE(model->isAsleep());
    EXPECT_EQ(socket->stops, 0);
    EXPECT_EQ(socket->starts, 0);
    EXPECT_EQ(services->runner->cancelAllCount, 0);
    EXPECT_EQ(services->detections, detections);
}

} // namespace
} // namespace velto
