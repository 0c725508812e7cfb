// The setup flow over a fake model: its steps, moves, the choices that move it on, the busy guard,
// finishing, and the one log line of a task that fails.
#include "VeltoDesktop/Setup/SetupFlow.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CapturingLogSink.hpp"
#include "DesktopTestLoop.hpp"
#include "FakeSetupModel.hpp"
#include "RecordingUrlOpening.hpp"

namespace velto::testing {
namespace {

using Calls = std::vector<std::string>;

class SetupFlowTest : public ::testing::Test {
protected:
    void TearDown() override { setLogSink(previousSink); }

    SetupFlow::Dependencies dependencies() {
        auto made = model.flowDependencies(opener, loop.mainExecutor());
        made.finish = [this] { model.calls.push_back("finish"); };
        return made;
    }
    SetupFlow& made() {
        flow = std::make_unique<SetupFlow>(dependencies());
        model.calls.clear();
        return *flow;
    }
    /// Moves the flow forward to `step`, settling each move.
    void walkTo(SetupStep step) {
        while (flow->step() != step) {
            const auto before = flow->step();
            flow->advance();
            loop.drain();
            ASSERT_NE(flow->step(), before) << "no step after " << rawValue(before);
        }
    }

    DesktopTestLoop loop;
    FakeSetupModel model{loop.deviceExecutor()};
    RecordingUrlOpening opener;
    std::unique_ptr<SetupFlow> flow;
    std::shared_ptr<LogSink> previousSink = logSink();
};

TEST_F(SetupFlowTest, PicksItsStepsByTheToolAndTheLoginItem) {
    using S = SetupStep;
    struct Case {
        CommandLineToolState tool;
        LoginItemState login;
        std::vector<SetupStep> steps;
    };
    const std::vector<Case> cases{
        {CommandLineToolState::notInstalled,
         LoginItemState::off,
         {S::pair, S::federation, S::monitoring, S::commandLineTool, S::openAtLogin}},
        {CommandLineToolState::taken,
         LoginItemState::needsApproval,
         {S::pair, S::federation, S::monitoring, S::commandLineTool, S::openAtLogin}},
        {CommandLineToolState::installed,
         LoginItemState::on,
         {S::pair, S::federation, S::monitoring, S::openAtLogin}},
        {CommandLineToolState::installed,
         LoginItemState::unavailable,
         {S::pair, S::federation, S::monitoring}},
        {CommandLineToolState::notInstalled,
         LoginItemState::unavailable,
         {S::pair, S::federation, S::monitoring, S::commandLineTool}},
    };
    for (const auto& c : cases) {
        model.toolState = c.tool;
        model.loginState = c.login;
        model.calls.clear();
        SetupFlow shown(dependencies());
        EXPECT_EQ(shown.steps(), c.steps);
        EXPECT_EQ(shown.step(), SetupStep::pair);
        EXPECT_TRUE(shown.isMovingForward());
        EXPECT_EQ(model.calls, (Calls{"refreshLoginItem", "refreshCommandLineTool"}))
            << "the states are read fresh, the login item first";
    }
}

TEST_F(SetupFlowTest, TheLastStepOfThreeIsMonitoring) {
    model.toolState = CommandLineToolState::installed;
    model.loginState = LoginItemState::unavailable;
    made();
    walkTo(SetupStep::monitoring);
    EXPECT_TRUE(flow->isOnLastStep());
    flow->advance();
    loop.drain();
    EXPECT_EQ(flow->step(), SetupStep::monitoring) << "nothing after the last step";
}

TEST_F(SetupFlowTest, ADirectionChangeReachesTheViewsOneTurnBeforeTheStep) {
    made();
    std::vector<std::string> seen;
    QObject::connect(flow.get(), &SetupFlow::stepChanged,
                     [&] { seen.push_back("step " + std::to_string(flow->stepValue())); });
    QObject::connect(flow.get(), &SetupFlow::isMovingForwardChanged,
                     [&] { seen.push_back(flow->isMovingForward() ? "forward" : "backward"); });
    flow->advance();
    EXPECT_EQ(seen, Calls{"step 1"}) << "the same direction moves at once";
    seen.clear();

    flow->goBack();
    EXPECT_EQ(seen, Calls{"backward"}) << "the step waits a turn";
    EXPECT_EQ(flow->step(), SetupStep::federation);
    loop.drain();
    EXPECT_EQ(seen, (Calls{"backward", "step 0"}));
    seen.clear();

    flow->advance();
    loop.drain();
    seen.clear();
    flow->goBack();
    flow->advance();
    loop.drain();
    EXPECT_EQ(seen, (Calls{"backward", "forward", "step 2"}))
        << "a queued step that another move overtook is dropped";
    while (flow->step() != SetupStep::pair) {
        flow->goBack();
        loop.drain();
    }
    flow->goBack();
    loop.drain();
    EXPECT_EQ(flow->step(), SetupStep::pair) << "nothing before the first step";
}

TEST_F(SetupFlowTest, AdvancingToMonitoringOffersTheInstalledAgentsOnce) {
    model.harnessList = {installedHarness(HarnessKind::claudeCode),
                         installedHarness(HarnessKind::codex, LoginState::signedOut),
                         HarnessStatus::notInstalled(HarnessKind::muse)};
    made();
    walkTo(SetupStep::federation);
    EXPECT_TRUE(flow->monitoring()->monitoredAgents().empty()) << "offered on the way to monitoring";
    walkTo(SetupStep::monitoring);
    auto& monitoring = *flow->monitoring();
    EXPECT_EQ(monitoring.monitoredAgents(),
              (std::set<HarnessKind>{HarnessKind::claudeCode, HarnessKind::codex}));
    monitoring.setMonitors(HarnessKind::codex, false);
    flow->goBack();
    loop.drain();
    walkTo(SetupStep::monitoring);
    EXPECT_EQ(monitoring.monitoredAgents(), std::set<HarnessKind>{HarnessKind::claudeCode}) << "offered once";
}

TEST_F(SetupFlowTest, EachChoiceMovesOnOnlyOnceItsStepIsDone) {
    struct Case {
        const char* what;
        SetupStep on;
        std::function<void()> choose;
        std::function<void()> arrange;
        /// The step after the choice; nothing when setup finished (stored before the window closes).
        std::optional<SetupStep> after;
    };
    const auto federation = [this](bool lends) {
        return [this, lends] { loop.run(flow->chooseFederation(lends)); };
    };
    const auto monitoring = [this](bool on) {
        return [this, on] {
            flow->chooseMonitoring(on);
            loop.drain();
        };
    };
    const auto tool = [this](bool install) {
        return [this, install] { loop.run(flow->chooseCommandLineTool(install)); };
    };
    const auto login = [this](bool on) { return [this, on] { flow->chooseOpenAtLogin(on); }; };
    const auto installs = [this](CommandLineToolInstall outcome) {
        return [this, outcome] { model.installOutcome = outcome; };
    };
    const auto loginAfter = [this](LoginItemState state,
                                   std::optional<LoginItemRefusal> refusal = std::nullopt) {
        return [this, state, refusal] {
            model.loginStateAfterChange = state;
            model.loginRefusal = refusal;
        };
    };
    using S = SetupStep;
    const std::vector<Case> cases{
        {"lends", S::federation, federation(true), {}, S::monitoring},
        {"does not lend", S::federation, federation(false), {}, S::monitoring},
        {"monitors", S::monitoring, monitoring(true), {}, S::commandLineTool},
        {"skips monitoring", S::monitoring, monitoring(false), {}, S::commandLineTool},
        {"declines the tool", S::commandLineTool, tool(false), {}, S::openAtLogin},
        {"installs the tool", S::commandLineTool, tool(true), installs(CommandLineToolInstall::installed()),
         S::openAtLogin},
        {"the install is refused", S::commandLineTool, tool(true),
         installs(CommandLineToolInstall::refused("The link is in the way.")), S::commandLineTool},
        {"the install is cancelled", S::commandLineTool, tool(true),
         installs(CommandLineToolInstall::cancelled()), S::commandLineTool},
        {"does not open at login", S::openAtLogin, login(false), loginAfter(LoginItemState::off),
         std::nullopt},
        {"opens at login", S::openAtLogin, login(true), loginAfter(LoginItemState::on), std::nullopt},
        {"approval is to be given", S::openAtLogin, login(true), loginAfter(LoginItemState::needsApproval),
         S::openAtLogin},
        {"the login item is refused", S::openAtLogin, login(true),
         loginAfter(LoginItemState::off, LoginItemRefusal{}), S::openAtLogin},
    };
    for (const auto& c : cases) {
        model.loginState = LoginItemState::off;
        made();
        walkTo(c.on);
        if (c.arrange)
            c.arrange();
        model.calls.clear();
        c.choose();
        const bool finished = model.calls.size() >= 2 && model.calls.back() == "finish" &&
                              model.calls[model.calls.size() - 2] == "setHasFinishedSetup true";
        EXPECT_EQ(finished, !c.after) << c.what;
        if (c.after) {
            EXPECT_EQ(flow->step(), *c.after) << c.what;
        }
    }
}

TEST_F(SetupFlowTest, AFooterActionWhileAnotherAwaitsIsRefused) {
    made();
    walkTo(SetupStep::federation);
    model.holdsAwaits = true;
    flow->pressPrimary();
    loop.drain();
    EXPECT_TRUE(flow->isBusy());
    EXPECT_FALSE(flow->footer().value("isEnabled").toBool()) << "the buttons are disabled";
    flow->pressPrimary();
    flow->pressSecondary();
    flow->pressBack();
    loop.drain();
    EXPECT_EQ(model.calls, (Calls{"setLendsSubscriptions true", "announceHello"}));
    model.release();
    loop.drain();
    EXPECT_FALSE(flow->isBusy());
    EXPECT_EQ(flow->step(), SetupStep::monitoring) << "the monitoring step is not skipped";
}

TEST_F(SetupFlowTest, AnAdvanceAfterAnAwaitHappensOnlyOnTheStepItBeganOn) {
    made();
    walkTo(SetupStep::federation);
    model.holdsAwaits = true;
    auto task = loop.spawn(flow->chooseFederation(true));
    ASSERT_FALSE(task->done);
    flow->goBack(); // as the model could move the window meanwhile
    loop.drain();
    ASSERT_EQ(flow->step(), SetupStep::pair);
    model.release();
    loop.drain();
    EXPECT_TRUE(task->done);
    EXPECT_EQ(flow->step(), SetupStep::pair);
}

TEST_F(SetupFlowTest, FinishingTheLastStepStoresSetupBeforeTheWindowCloses) {
    made();
    walkTo(SetupStep::openAtLogin);
    model.calls.clear();
    flow->finishStep();
    EXPECT_EQ(model.calls, (Calls{"setHasFinishedSetup true", "finish"}));
}

TEST_F(SetupFlowTest, ATaskThatFailsIsLoggedInOneLineAndSetupGoesOn) {
    auto log = CapturingLogSink::install();
    model.reconcileFailure = "the add-on folder is not writable";
    made();
    walkTo(SetupStep::monitoring);
    flow->pressPrimary();
    loop.drain();
    EXPECT_EQ(log->messages("app"),
              Calls{"could not reconcile the agents: the add-on folder is not writable"});
    EXPECT_EQ(flow->step(), SetupStep::commandLineTool);
}

} // namespace
} // namespace velto::testing
