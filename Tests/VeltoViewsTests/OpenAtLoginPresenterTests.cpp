// The open-at-login step over a fake model: each choice's answer from the state that follows it, and
// what it calls.
#include "VeltoDesktop/Setup/OpenAtLoginPresenter.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DesktopTestLoop.hpp"
#include "FakeSetupModel.hpp"

namespace velto::testing {
namespace {

using Calls = std::vector<std::string>;

class OpenAtLoginPresenterTest : public ::testing::Test {
protected:
    DesktopTestLoop loop;
    FakeSetupModel model{loop.deviceExecutor()};
};

TEST_F(OpenAtLoginPresenterTest, OfferedUnlessThisCopyCannotOpenAtLogin) {
    for (const auto state : {LoginItemState::on, LoginItemState::off, LoginItemState::needsApproval,
                             LoginItemState::unavailable}) {
        model.loginState = state;
        OpenAtLoginPresenter login(model.openAtLogin);
        EXPECT_EQ(login.isOffered(), state != LoginItemState::unavailable) << static_cast<int>(state);
    }
}

TEST_F(OpenAtLoginPresenterTest, OpenAtLoginAnswers) {
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
        OpenAtLoginPresenter login(model.openAtLogin);
        model.calls.clear();
        EXPECT_EQ(login.choose(c.on), c.finishes);
        ASSERT_TRUE(login.answer());
        EXPECT_EQ(login.answer()->kind, c.answer);
        EXPECT_EQ(login.notice().isEmpty(), c.answer == A::finished) << "a notice unless finished";
        EXPECT_EQ(model.calls, c.calls);
    }
}

} // namespace
} // namespace velto::testing
