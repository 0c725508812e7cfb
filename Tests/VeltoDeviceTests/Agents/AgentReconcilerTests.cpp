#include "VeltoDevice/Agents/AgentIntegrationError.hpp"
#include "VeltoDevice/Agents/AgentIntegrationOutcome.hpp"
#include "VeltoDevice/Agents/AgentReconciler.hpp"
#include "VeltoDevice/Support/FileError.hpp"

#include <boost/asio/error.hpp>
#include <boost/system/system_error.hpp>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "RecordingIntegration.hpp"

namespace velto {
namespace {

using State = AgentIntegrationState;
using Outcome = AgentIntegrationOutcome;
using testing::AsyncTestLoop;
using testing::RecordingIntegration;

TEST(AgentReconciler, EachStateAndWishRunsItsOneActionOrNone) {
    struct Row {
        State state;
        bool isWanted;
        std::vector<std::string> calls;
        Outcome outcome;
    };
    const Row rows[] = {
        {State::absent, true, {"state", "install"}, Outcome::installed()},
        {State::absent, false, {"state"}, Outcome::unchanged()},
        {State::current, true, {"state"}, Outcome::unchanged()},
        {State::current, false, {"state", "remove"}, Outcome::removed()},
        {State::outdated, true, {"state", "install"}, Outcome::updated()},
        {State::outdated, false, {"state", "remove"}, Outcome::removed()},
        {State::kept, true, {"state"}, Outcome::kept()},
        {State::kept, false, {"state"}, Outcome::kept()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(static_cast<int>(row.state)) +
                     (row.isWanted ? " wanted" : " unwanted"));
        RecordingIntegration integration(row.state);
        AsyncTestLoop loop;
        EXPECT_EQ(loop.run(AgentReconciler::reconcile(integration, row.isWanted)), row.outcome);
        EXPECT_EQ(integration.calls(), row.calls);
    }
}

TEST(AgentReconciler, AFailingStepIsFailedWithItsSentenceAndNothingMoreRuns) {
    enum class Step { state, install, remove };
    struct Row {
        const char* name;
        State state;
        bool isWanted;
        Step failing;
        std::exception_ptr error;
        std::vector<std::string> calls;
        std::string reason;
    };
    auto refused = std::make_exception_ptr(AgentIntegrationError::refused("Unknown plugin."));
    auto files = std::make_exception_ptr(FileError::remove("/home/u/.codex/skills/x", "Permission denied"));
    const std::string removeReason = "The system did not remove /home/u/.codex/skills/x: Permission denied.";
    const std::string unknown = "Unknown plugin.";
    const std::vector<std::string> installing{"state", "install"};
    const Row rows[] = {
        {"state throws", State::absent, true, Step::state, refused, {"state"}, unknown},
        {"install refused", State::absent, true, Step::install, refused, installing, unknown},
        {"update refused", State::outdated, true, Step::install, refused, installing, unknown},
        {"removal fails", State::current, false, Step::remove, files, {"state", "remove"}, removeReason},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingIntegration integration(row.state);
        (row.failing == Step::state     ? integration.stateError
         : row.failing == Step::install ? integration.installError
                                        : integration.removeError) = row.error;
        AsyncTestLoop loop;
        EXPECT_EQ(loop.run(AgentReconciler::reconcile(integration, row.isWanted)),
                  Outcome::failed(row.reason));
        EXPECT_EQ(integration.calls(), row.calls);
    }
}

TEST(AgentReconciler, CancellationIsNoFailure) {
    RecordingIntegration integration(State::absent);
    integration.installError =
        std::make_exception_ptr(boost::system::system_error(boost::asio::error::operation_aborted));
    AsyncTestLoop loop;
    EXPECT_THROW(loop.run(AgentReconciler::reconcile(integration, true)), boost::system::system_error);
}

TEST(AgentIntegrationOutcome, CombinedTakesTheFirstFailureElseTheStrongestChange) {
    struct Row {
        std::vector<Outcome> outcomes;
        Outcome combined;
    };
    const Row rows[] = {
        {{}, Outcome::unchanged()},
        {{Outcome::unchanged(), Outcome::unchanged()}, Outcome::unchanged()},
        {{Outcome::kept(), Outcome::removed(), Outcome::installed()}, Outcome::installed()},
        {{Outcome::updated(), Outcome::failed("first"), Outcome::installed(), Outcome::failed("second")},
         Outcome::failed("first")},
        {{Outcome::kept(), Outcome::unchanged()}, Outcome::kept()},
        {{Outcome::removed(), Outcome::updated()}, Outcome::updated()},
        {{Outcome::kept(), Outcome::removed()}, Outcome::removed()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.outcomes.size()) + " outcomes");
        EXPECT_EQ(Outcome::combined(row.outcomes), row.combined);
    }
    EXPECT_EQ(caseName(Outcome::Case::kept), "kept");
    EXPECT_EQ(caseName(Outcome::Case::unchanged), "unchanged");
}

} // namespace
} // namespace velto
