// The setup flow over a fake model: its steps, moves, choices and their calls in order, the pair
// step's address and page, and the busy guard.
#include "VeltoDesktop/Setup/SetupFlow.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "DesktopTestLoop.hpp"
#include "FakeSetupModel.hpp"
#include "RecordingUrlOpening.hpp"

namespace velto::testing {
namespace {

using Calls = std::vector<std::string>;

class SetupFlowTest : public ::testing::Test {
protected:
    SetupFlow& made() {
        flow = std::make_unique<SetupFlow>(model, loop.mainExecutor(), opener);
        flow->setFinish([this] { model.calls.push_back("finish"); });
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
        SetupFlow shown(model, loop.mainExecutor(), opener);
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

TEST_F(SetupFlowTest, TheAddressStartsAsSavedWithOnlyALeadingSecureSchemeRemoved) {
    struct Case {
        std::string saved;
        std::string shown;
    };
    const std::vector<Case> cases{
        {"https://velto.example/", "velto.example/"},
        {"HTTPS://velto.example/", "velto.example/"},
        {"https://velto.example/go/https://elsewhere/", "velto.example/go/https://elsewhere/"},
        {"http://localhost:8080/", "http://localhost:8080/"},
        {"", ""},
    };
    for (const auto& c : cases) {
        model.form->setServerAddress(c.saved);
        EXPECT_EQ(made().address(), c.shown) << c.saved;
    }
}

TEST_F(SetupFlowTest, WithSchemeTrimsAndAddsTheSecureSchemeUnlessOneLeads) {
    struct Case {
        std::string typed;
        std::string result;
    };
    const std::vector<Case> cases{
        {"velto.example", "https://velto.example"},
        {"  velto.example \n", "https://velto.example"},
        {"https://velto.example", "https://velto.example"},
        {"http://localhost:8080", "http://localhost:8080"},
        {"velto.example/a://b", "https://velto.example/a://b"},
        {"://velto.example", "https://://velto.example"},
        {"1x://velto.example", "https://1x://velto.example"},
        {"", "https://"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SetupFlow::withScheme(c.typed), c.result) << c.typed;
}

TEST_F(SetupFlowTest, ThePairingPageIsTheServersDevicesPageAndTheFormRemembersTheServer) {
    struct Case {
        std::string typed;
        std::string page;
        std::string remembered;
    };
    const std::vector<Case> cases{
        {" velto.example ", "https://velto.example/organization/settings/devices?pair=mac",
         "https://velto.example"},
        {"velto.example/base/", "https://velto.example/base/organization/settings/devices?pair=mac",
         "https://velto.example/base/"},
        {"http://localhost:8080", "http://localhost:8080/organization/settings/devices?pair=mac",
         "http://localhost:8080"},
    };
    for (const auto& c : cases) {
        made().setAddress(c.typed);
        auto page = flow->pairingPage();
        ASSERT_TRUE(page) << c.typed;
        EXPECT_EQ(page->buffer(), c.page);
        EXPECT_EQ(model.form->serverAddress(), c.remembered);
        EXPECT_FALSE(flow->addressError());
    }
}

TEST_F(SetupFlowTest, AnAddressThatIsNoServerShowsItsErrorAndOpensNothing) {
    const std::vector<std::string> typed{"",
                                         "   ",
                                         std::string(2000, 'a') + ".example/" + std::string(1, ' ') + "x",
                                         "http://velto.example",
                                         "https://",
                                         "velto example"};
    for (const auto& address : typed) {
        made().setAddress(address);
        flow->openPairingPage();
        ASSERT_TRUE(flow->addressError()) << address;
        EXPECT_FALSE(flow->addressError()->empty());
        EXPECT_LE(flow->addressError()->size(), 200u) << "what is quoted of the address is short";
        EXPECT_TRUE(opener.opened.empty()) << address;
        EXPECT_EQ(flow->pairStage().kind(), PairStage::Case::address) << address;
    }
    // A good address clears the error before it tries.
    flow->setAddress("velto.example");
    flow->openPairingPage();
    EXPECT_FALSE(flow->addressError());
    EXPECT_EQ(flow->pairStage().kind(), PairStage::Case::waitingForBrowser);
}

TEST_F(SetupFlowTest, FieldsKeepAtMostTheirCap) {
    made().setAddress(std::string(3000, 'a'));
    EXPECT_EQ(flow->address().size(), static_cast<std::size_t>(SetupFlow::maximumFieldLength));
}

TEST_F(SetupFlowTest, OpeningThePageWaitsForTheBrowserOrShowsThePageItCouldNotOpen) {
    made().setAddress("velto.example");
    opener.refuses = true;
    flow->openPairingPage();
    EXPECT_EQ(opener.opened, Calls{"https://velto.example/organization/settings/devices?pair=mac"});
    EXPECT_FALSE(flow->isWaitingForBrowser());
    EXPECT_EQ(flow->pairStage().kind(), PairStage::Case::address) << "no browser: the stage stays";
    EXPECT_EQ(flow->unopenedPage(), "https://velto.example/organization/settings/devices?pair=mac");

    opener.refuses = false;
    flow->openPairingPage();
    EXPECT_TRUE(flow->isWaitingForBrowser());
    EXPECT_FALSE(flow->unopenedPage());
    EXPECT_EQ(flow->pairStage().kind(), PairStage::Case::waitingForBrowser);

    flow->cancelPairing();
    EXPECT_FALSE(flow->isWaitingForBrowser());
    EXPECT_EQ(flow->pairStage().kind(), PairStage::Case::address);
}

TEST_F(SetupFlowTest, OnlyTheLatestOpenersAnswerCounts) {
    made().setAddress("velto.example");
    opener.holds = true;
    flow->openPairingPage();
    EXPECT_FALSE(flow->isWaitingForBrowser()) << "nothing changes before the opener answers";
    EXPECT_FALSE(flow->unopenedPage());
    flow->openPairingPage();
    ASSERT_EQ(opener.pending.size(), 2U);
    opener.pending[1](true);
    EXPECT_TRUE(flow->isWaitingForBrowser());
    opener.pending[0](false);
    EXPECT_TRUE(flow->isWaitingForBrowser()) << "an earlier opener's late refusal is dropped";
    EXPECT_FALSE(flow->unopenedPage());

    // "Open Again" whose opener fails: nothing to wait for, the page is shown under the address.
    flow->openPairingPage();
    opener.pending[2](false);
    EXPECT_FALSE(flow->isWaitingForBrowser());
    EXPECT_EQ(flow->pairStage().kind(), PairStage::Case::address);
    EXPECT_EQ(flow->unopenedPage(), "https://velto.example/organization/settings/devices?pair=mac");

    // "Change Address" drops an answer still to come.
    flow->openPairingPage();
    flow->cancelPairing();
    opener.pending[3](true);
    EXPECT_FALSE(flow->isWaitingForBrowser());

    // An answer after the window (and its flow) closed is dropped.
    flow->openPairingPage();
    flow.reset();
    opener.pending[4](true);
}

TEST_F(SetupFlowTest, ACodeIsProposedOnTheTypedServerAndABadOneShowsWhy) {
    made().setAddress(" velto.example ");
    model.form->setCode("7kq2-mx9d");
    flow->submitCode();
    EXPECT_EQ(model.calls, Calls{"propose https://velto.example 1"}) << "codes read in any case";
    EXPECT_EQ(flow->pairStage().kind(), PairStage::Case::confirming);
    EXPECT_FALSE(model.form->error());

    struct Case {
        std::string code;
        std::string why;
    };
    std::string eleven = "velto://enroll?server=https://velto.example";
    for (int index = 0; index < 11; ++index)
        eleven += "&code=AAAA-11" + std::to_string(10 + index);
    const std::vector<Case> cases{{"", "empty"},
                                  {"   ", "blanks"},
                                  {"7KQ2", "too short"},
                                  {"7KQ2-MX9D-EXTRA", "too long"},
                                  {eleven, "11 codes"}};
    for (const auto& c : cases) {
        model.calls.clear();
        model.form->setError(std::nullopt);
        model.form->setCode(c.code);
        flow->submitCode();
        EXPECT_TRUE(model.calls.empty()) << c.why;
        ASSERT_TRUE(model.form->error()) << c.why;
        EXPECT_FALSE(model.form->error()->empty()) << c.why;
    }
}

TEST_F(SetupFlowTest, CancellingWhileCodesAreSpentKeepsThePrompt) {
    made();
    model.setPrompt(EnrollmentPrompt::confirming(EnrollmentGate(sampleLink({"7KQ2-MX9D"}))));
    model.spending = true;
    flow->setAddress("velto.example");
    flow->openPairingPage();
    flow->cancelPairing();
    EXPECT_TRUE(model.prompt) << "the prompt stays while codes are spent";
    EXPECT_FALSE(flow->isWaitingForBrowser());
    EXPECT_EQ(model.calls, Calls{}) << "nothing was dismissed";

    model.spending = false;
    flow->cancelPairing();
    EXPECT_EQ(model.calls, Calls{"dismissPrompt"});
    EXPECT_FALSE(model.prompt);
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

TEST_F(SetupFlowTest, TheInstalledAgentsAreOfferedOnceAndTheUsersEditsStay) {
    model.harnessList = {installedHarness(HarnessKind::claudeCode),
                         installedHarness(HarnessKind::codex, LoginState::signedOut),
                         HarnessStatus::notInstalled(HarnessKind::muse)};
    made();
    walkTo(SetupStep::monitoring);
    EXPECT_EQ(flow->monitoredAgents(), (std::set<HarnessKind>{HarnessKind::claudeCode, HarnessKind::codex}));
    flow->setMonitors(HarnessKind::codex, false);
    flow->goBack();
    loop.drain();
    walkTo(SetupStep::monitoring);
    EXPECT_EQ(flow->monitoredAgents(), std::set<HarnessKind>{HarnessKind::claudeCode}) << "offered once";
}

TEST_F(SetupFlowTest, AgentsOfferedBeforeAnyIsKnownFollowTheDetectionUnlessTouched) {
    for (const bool touches : {false, true}) {
        model.harnessList.clear();
        made();
        walkTo(SetupStep::monitoring);
        EXPECT_TRUE(flow->monitoredAgents().empty());
        if (touches)
            flow->setMonitors(HarnessKind::muse, true);
        model.setHarnesses({installedHarness(HarnessKind::claudeCode)}, true);
        EXPECT_EQ(flow->monitoredAgents().count(HarnessKind::claudeCode), 0u) << "still detecting";
        model.setHarnesses({installedHarness(HarnessKind::claudeCode)}, false);
        EXPECT_EQ(flow->monitoredAgents(), touches ? std::set<HarnessKind>{HarnessKind::muse}
                                                   : std::set<HarnessKind>{HarnessKind::claudeCode})
            << (touches ? "the user's switch wins" : "the detection fills the set");
    }
}

TEST_F(SetupFlowTest, LendingStoresAnnouncesAgreesAndThenAdvances) {
    struct Case {
        bool lends;
        Calls calls;
    };
    const std::vector<Case> cases{
        {true,
         {"setLendsSubscriptions true", "announceHello", "announced", "agreeEverywhere sre-questions",
          "agreed"}},
        {false, {"setLendsSubscriptions false", "announceHello", "announced"}},
    };
    for (const auto& c : cases) {
        made();
        walkTo(SetupStep::federation);
        flow->setAgreement(DeviceScope::sreQuestions, true);
        model.calls.clear();
        loop.run(flow->chooseFederation(c.lends));
        EXPECT_EQ(model.calls, c.calls);
        EXPECT_EQ(flow->step(), SetupStep::monitoring);
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

TEST_F(SetupFlowTest, MonitoringStoresTheChoiceStartsAPassAndMovesOn) {
    model.harnessList = {installedHarness(HarnessKind::claudeCode), installedHarness(HarnessKind::codex)};
    for (const bool on : {true, false}) {
        made();
        walkTo(SetupStep::monitoring);
        model.calls.clear();
        flow->chooseMonitoring(on);
        loop.drain();
        EXPECT_EQ(model.calls, (Calls{on ? "setMonitoredAgents claude-code,codex" : "setMonitoredAgents ",
                                      "reconcileAgents"}));
        EXPECT_EQ(flow->step(), SetupStep::commandLineTool);
    }
}

TEST_F(SetupFlowTest, TheCommandLineStepMovesOnOnlyWhenInstalledOrDeclined) {
    struct Case {
        bool install;
        CommandLineToolInstall outcome;
        SetupStep after;
    };
    const std::vector<Case> cases{
        {false, CommandLineToolInstall::installed(), SetupStep::openAtLogin},
        {true, CommandLineToolInstall::installed(), SetupStep::openAtLogin},
        {true, CommandLineToolInstall::refused("The link is in the way."), SetupStep::commandLineTool},
        {true, CommandLineToolInstall::cancelled(), SetupStep::commandLineTool},
    };
    for (const auto& c : cases) {
        model.installOutcome = c.outcome;
        made();
        walkTo(SetupStep::commandLineTool);
        model.calls.clear();
        loop.run(flow->chooseCommandLineTool(c.install));
        EXPECT_EQ(model.calls, c.install ? Calls{"installCommandLineTool"} : Calls{});
        EXPECT_EQ(flow->step(), c.after);
    }
}

TEST_F(SetupFlowTest, OpenAtLoginAnswers) {
    using A = LoginItemAnswer::Case;
    struct Case {
        bool on;
        std::optional<LoginItemRefusal> refusal;
        LoginItemState stateAfter;
        A answer;
        Calls calls;
        bool finishes;
    };
    const std::vector<Case> cases{
        {false, std::nullopt, LoginItemState::off, A::finished, {"setOpensAtLogin false"}, true},
        {false, LoginItemRefusal{}, LoginItemState::on, A::finished, {"setOpensAtLogin false"}, true},
        {true, std::nullopt, LoginItemState::on, A::finished, {"setOpensAtLogin true"}, true},
        {true,
         std::nullopt,
         LoginItemState::needsApproval,
         A::awaitingApproval,
         {"setOpensAtLogin true", "openLoginItemSettings"},
         false},
        {true, LoginItemRefusal{}, LoginItemState::off, A::notTurnedOn, {"setOpensAtLogin true"}, false},
        {true, std::nullopt, LoginItemState::off, A::notTurnedOn, {"setOpensAtLogin true"}, false},
    };
    for (const auto& c : cases) {
        model.loginState = LoginItemState::off;
        model.loginRefusal = c.refusal;
        model.loginStateAfterChange = c.stateAfter;
        made();
        walkTo(SetupStep::openAtLogin);
        model.calls.clear();
        flow->chooseOpenAtLogin(c.on);
        ASSERT_TRUE(flow->loginItemAnswer());
        EXPECT_EQ(flow->loginItemAnswer()->kind, c.answer);
        auto calls = c.calls;
        if (c.finishes) {
            calls.push_back("setHasFinishedSetup true");
            calls.push_back("finish");
        }
        EXPECT_EQ(model.calls, calls) << "setup is stored finished before the window closes";
    }
}

TEST_F(SetupFlowTest, FinishingTheLastStepStoresSetupBeforeTheWindowCloses) {
    made();
    walkTo(SetupStep::openAtLogin);
    model.calls.clear();
    flow->finishStep();
    EXPECT_EQ(model.calls, (Calls{"setHasFinishedSetup true", "finish"}));
}

} // namespace
} // namespace velto::testing
