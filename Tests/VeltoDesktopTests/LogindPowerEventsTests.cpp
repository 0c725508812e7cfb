// The sleep delay against fake logind on a private bus, with its 4 s cap fired by hand.
#include "VeltoDesktop/System/LogindPowerEvents.hpp"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AgentProcess.hpp"
#include "ManualDelayTimer.hpp"

namespace velto {
namespace {

using namespace std::chrono_literals;

const QString connectionName = QStringLiteral("logind-power-events-test");

class LogindPowerEventsTest : public ::testing::Test {
protected:
    std::unique_ptr<testing::AgentProcess> system;
    std::unique_ptr<LogindPowerEvents> events;
    testing::ManualDelayTimer* cap = nullptr;
    int sleeps = 0;
    int wakes = 0;

    void SetUp() override {
        // The scratch home hands the test's session bus on, so it needs one.
        if (!std::getenv("DBUS_SESSION_BUS_ADDRESS"))
            GTEST_SKIP() << "no session bus (run the tests through scripts/with-keyring.sh)";
        system = std::make_unique<testing::AgentProcess>();
        auto bus = QDBusConnection::connectToBus(
            QString::fromStdString(system->environment().at("DBUS_SYSTEM_BUS_ADDRESS")), connectionName);
        ASSERT_TRUE(bus.isConnected());
        auto timer = std::make_unique<testing::ManualDelayTimer>();
        cap = timer.get();
        events = std::make_unique<LogindPowerEvents>(bus, std::move(timer));
        PowerEventSource::Handlers handlers;
        handlers.willSleep = [this] { ++sleeps; };
        handlers.didWake = [this] { ++wakes; };
        ASSERT_TRUE(events->observe(std::move(handlers)));
        ASSERT_EQ(system->nextSystemLine(), "inhibited") << "a delay is taken at start";
        ASSERT_TRUE(inhibited());
    }

    void TearDown() override {
        events.reset();
        QDBusConnection::disconnectFromBus(connectionName);
    }

    /// Has fake logind announce `command` and runs the loop until the handler saw it.
    bool announce(const std::string& command, const int& seen) {
        const int before = seen;
        system->sendSystem(command);
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (seen == before) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return true;
    }
    bool sleep() { return announce("sleep", sleeps); }

    /// Runs the loop until logind's answer to the delay request came: the request does not wait for it.
    bool inhibited() {
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (!events->holdsInhibitor()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return true;
    }
    bool wake() { return announce("wake", wakes); }

    /// The next `count` lines of fake logind, sorted: a wake lets go and takes a delay at once, and
    /// fake logind may notice either first.
    std::vector<std::string> nextSystemLines(int count) {
        std::vector<std::string> lines;
        for (int i = 0; i < count; ++i)
            lines.push_back(system->nextSystemLine().value_or("(none)"));
        std::sort(lines.begin(), lines.end());
        return lines;
    }
};

TEST_F(LogindPowerEventsTest, TheEndOfTheSleepStepsReleasesTheDelayAndEachWakeTakesANewOne) {
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(sleep());
        EXPECT_EQ(cap->starts, round) << "each sleep starts the cap";
        EXPECT_TRUE(cap->isRunning);
        EXPECT_EQ(cap->duration, LogindPowerEvents::longestDelay);
        EXPECT_TRUE(events->holdsInhibitor()) << "the machine waits for the steps";

        events->sleepHandled();
        EXPECT_FALSE(events->holdsInhibitor());
        EXPECT_FALSE(cap->isRunning) << "the cap is stopped: it cannot release anything later";
        EXPECT_EQ(system->nextSystemLine(), "released");

        ASSERT_TRUE(wake());
        EXPECT_EQ(system->nextSystemLine(), "inhibited");
        EXPECT_TRUE(inhibited());
    }
}

TEST_F(LogindPowerEventsTest, TheCapReleasesTheDelayWhenTheSleepStepsRunLong) {
    ASSERT_TRUE(sleep());
    cap->fire();
    EXPECT_FALSE(events->holdsInhibitor());
    EXPECT_EQ(system->nextSystemLine(), "released");

    ASSERT_TRUE(wake());
    EXPECT_EQ(system->nextSystemLine(), "inhibited");
    ASSERT_TRUE(inhibited());
    events->sleepHandled();
    EXPECT_TRUE(events->holdsInhibitor())
        << "steps that end after the cap and the wake keep the delay taken for the next sleep";

    ASSERT_TRUE(sleep());
    EXPECT_EQ(cap->starts, 2) << "the second sleep has a cap of its own";
    cap->fire();
    EXPECT_FALSE(events->holdsInhibitor());
    EXPECT_EQ(system->nextSystemLine(), "released");
}

TEST_F(LogindPowerEventsTest, StepsThatOutlastAWakeDoNotReleaseTheNextSleepsDelay) {
    ASSERT_TRUE(sleep());
    ASSERT_TRUE(wake());
    EXPECT_EQ(nextSystemLines(2), (std::vector<std::string>{"inhibited", "released"}))
        << "the wake lets the held delay go and takes a new one";
    ASSERT_TRUE(inhibited());

    ASSERT_TRUE(sleep());
    events->sleepHandled();
    EXPECT_TRUE(events->holdsInhibitor()) << "the first sleep's steps ended, not the second's";
    EXPECT_TRUE(cap->isRunning);
    events->sleepHandled();
    EXPECT_FALSE(events->holdsInhibitor());
    EXPECT_EQ(system->nextSystemLine(), "released");
}

TEST_F(LogindPowerEventsTest, ARepeatedAnnouncementKeepsTheFirstCap) {
    ASSERT_TRUE(sleep());
    ASSERT_TRUE(sleep());
    EXPECT_EQ(cap->starts, 1) << "the cap counts from the first announcement";
    events->sleepHandled();
    EXPECT_TRUE(events->holdsInhibitor()) << "the steps of the second announcement still run";
    cap->fire();
    EXPECT_FALSE(events->holdsInhibitor());
    EXPECT_EQ(system->nextSystemLine(), "released");
    events->sleepHandled();
    EXPECT_FALSE(events->holdsInhibitor());
}

} // namespace
} // namespace velto
