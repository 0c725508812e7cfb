#include "VeltoDevice/Harness/HarnessInventory.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"

#include <boost/asio/cancellation_signal.hpp>
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "ManualClock.hpp"

namespace velto {
namespace {

using namespace std::chrono_literals;
using testing::AsyncTestLoop;
using testing::ManualClock;

std::vector<HarnessStatus> noneInstalled() {
    return {HarnessStatus::notInstalled(HarnessKind::claudeCode),
            HarnessStatus::notInstalled(HarnessKind::codex), HarnessStatus::notInstalled(HarnessKind::muse)};
}

std::vector<HarnessStatus> withCodex(std::string executable, std::optional<std::string> version,
                                     LoginState login) {
    auto statuses = noneInstalled();
    statuses[1] =
        HarnessStatus::installed(HarnessKind::codex, std::move(executable), std::move(version), login);
    return statuses;
}

/// Detections that answer from a script, each taking one second on the manual clock.
class ScriptedDetection {
public:
    explicit ScriptedDetection(std::shared_ptr<ManualClock> clock) : clock_(std::move(clock)) {}

    std::deque<std::vector<HarnessStatus>> answers;
    int runs = 0;

    HarnessInventory::Detect detect() {
        return [this]() -> boost::asio::awaitable<std::vector<HarnessStatus>> {
            ++runs;
            co_await clock_->sleep(1s);
            auto answer = answers.front();
            answers.pop_front();
            co_return answer;
        };
    }

private:
    std::shared_ptr<ManualClock> clock_;
};

class HarnessInventoryTest : public ::testing::Test {
protected:
    AsyncTestLoop loop;
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    ScriptedDetection detection{clock};
    HarnessInventory inventory{loop.executor(), detection.detect()};

    HarnessInventory::Refresh refreshed() {
        auto refresh = loop.spawn(inventory.refresh());
        loop.drain();
        clock->advance(1s);
        loop.drain();
        return refresh->get();
    }
};

TEST_F(HarnessInventoryTest, TwoRefreshesShareOneDetection) {
    detection.answers = {withCodex("/bin/codex", "1.0.0", LoginState::signedIn)};
    EXPECT_TRUE(inventory.statuses().empty());
    auto first = loop.spawn(inventory.refresh());
    loop.drain();
    EXPECT_TRUE(inventory.isDetecting());
    auto second = loop.spawn(inventory.refresh());
    loop.drain();
    EXPECT_FALSE(first->done);
    EXPECT_FALSE(second->done) << "a joined refresh waits for the detection";

    clock->advance(1s);
    loop.drain();
    EXPECT_EQ(first->get(), HarnessInventory::Refresh::changed);
    EXPECT_EQ(second->get(), HarnessInventory::Refresh::joined);
    EXPECT_EQ(detection.runs, 1);
    EXPECT_FALSE(inventory.isDetecting());
    EXPECT_EQ(inventory.reports(),
              (std::vector<HarnessReport>{{HarnessKind::codex, "1.0.0", true, std::nullopt}}));
}

TEST_F(HarnessInventoryTest, ACancelledCallerLeavesTheDetectionToFinishAndStore) {
    detection.answers = {withCodex("/bin/codex", "1.0.0", LoginState::signedIn), noneInstalled()};
    boost::asio::cancellation_signal signal;
    auto refresh = loop.spawn(inventory.refresh(), signal.slot());
    loop.drain();
    signal.emit(boost::asio::cancellation_type::terminal);
    loop.drain();
    ASSERT_TRUE(refresh->done);
    EXPECT_TRUE(isCancellation(refresh->error));
    EXPECT_TRUE(inventory.isDetecting()) << "the detection goes on without its caller";

    clock->advance(1s);
    loop.drain();
    EXPECT_FALSE(inventory.isDetecting());
    EXPECT_EQ(inventory.statuses(), withCodex("/bin/codex", "1.0.0", LoginState::signedIn));
    // The next refresh starts a detection of its own instead of joining one that will not end.
    EXPECT_EQ(refreshed(), HarnessInventory::Refresh::changed);
    EXPECT_EQ(detection.runs, 2);
}

TEST_F(HarnessInventoryTest, ChangedOnlyWhenTheReportsChange) {
    struct Step {
        std::string what;
        std::vector<HarnessStatus> detected;
        HarnessInventory::Refresh expected;
    };
    using enum HarnessInventory::Refresh;
    const std::vector<Step> steps = {
        {"nothing installed before or after", noneInstalled(), unchanged},
        {"a tool appears", withCodex("/bin/codex", "1.0.0", LoginState::signedOut), changed},
        {"only its path moves", withCodex("/opt/codex", "1.0.0", LoginState::signedOut), unchanged},
        {"signed out becomes unknown", withCodex("/opt/codex", "1.0.0", LoginState::unknown), unchanged},
        {"it signs in", withCodex("/opt/codex", "1.0.0", LoginState::signedIn), changed},
        {"a new version", withCodex("/opt/codex", "1.1.0", LoginState::signedIn), changed},
        {"the version can no longer be read", withCodex("/opt/codex", std::nullopt, LoginState::signedIn),
         changed},
        {"it is gone", noneInstalled(), changed},
    };
    for (const auto& step : steps) {
        detection.answers = {step.detected};
        EXPECT_EQ(refreshed(), step.expected) << step.what;
        EXPECT_EQ(inventory.statuses(), step.detected) << step.what;
    }
}

} // namespace
} // namespace velto
