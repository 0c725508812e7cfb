// The monitoring step over a fake model: the installed agents offered once, the detection's result
// when none was known yet, and the choice stored before its agent pass starts.
#include "VeltoDesktop/Setup/MonitoringPresenter.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "DesktopTestLoop.hpp"
#include "FakeSetupModel.hpp"

namespace velto::testing {
namespace {

using Calls = std::vector<std::string>;

class MonitoringPresenterTest : public ::testing::Test {
protected:
    MonitoringPresenter& made() {
        monitoring =
            std::make_unique<MonitoringPresenter>(model.monitoring, [this](std::string operation, auto task) {
                started.push_back(operation);
                loop.spawn(std::move(task));
            });
        return *monitoring;
    }

    DesktopTestLoop loop;
    FakeSetupModel model{loop.deviceExecutor()};
    std::unique_ptr<MonitoringPresenter> monitoring;
    Calls started;
};

TEST_F(MonitoringPresenterTest, TheInstalledAgentsAreOfferedOnceAndTheUsersEditsStay) {
    model.harnessList = {installedHarness(HarnessKind::claudeCode),
                         installedHarness(HarnessKind::codex, LoginState::signedOut),
                         HarnessStatus::notInstalled(HarnessKind::muse)};
    made();
    EXPECT_TRUE(monitoring->monitoredAgents().empty()) << "nothing before the offer";
    monitoring->offerInstalledAgents();
    EXPECT_EQ(monitoring->monitoredAgents(),
              (std::set<HarnessKind>{HarnessKind::claudeCode, HarnessKind::codex}));
    monitoring->setMonitors(HarnessKind::codex, false);
    monitoring->offerInstalledAgents();
    EXPECT_EQ(monitoring->monitoredAgents(), std::set<HarnessKind>{HarnessKind::claudeCode})
        << "offered once";
}

TEST_F(MonitoringPresenterTest, AgentsOfferedBeforeAnyIsKnownFollowTheDetectionUnlessTouched) {
    for (const bool touches : {false, true}) {
        model.harnessList.clear();
        made().offerInstalledAgents();
        EXPECT_TRUE(monitoring->monitoredAgents().empty());
        if (touches)
            monitoring->setAgent("muse", true);
        model.setHarnesses({installedHarness(HarnessKind::claudeCode)}, true);
        EXPECT_EQ(monitoring->monitoredAgents().count(HarnessKind::claudeCode), 0u) << "still detecting";
        model.setHarnesses({installedHarness(HarnessKind::claudeCode)}, false);
        EXPECT_EQ(monitoring->monitoredAgents(), touches ? std::set<HarnessKind>{HarnessKind::muse}
                                                         : std::set<HarnessKind>{HarnessKind::claudeCode})
            << (touches ? "the user's switch wins" : "the detection fills the set");
    }
}

TEST_F(MonitoringPresenterTest, AChoiceStoresTheAgentsAndStartsAPass) {
    model.harnessList = {installedHarness(HarnessKind::claudeCode), installedHarness(HarnessKind::codex)};
    for (const bool on : {true, false}) {
        made().offerInstalledAgents();
        model.calls.clear();
        started.clear();
        monitoring->choose(on);
        loop.drain();
        EXPECT_EQ(model.calls, (Calls{on ? "setMonitoredAgents claude-code,codex" : "setMonitoredAgents ",
                                      "reconcileAgents"}));
        EXPECT_EQ(started, Calls{"reconcile the agents"});
    }
}

} // namespace
} // namespace velto::testing
