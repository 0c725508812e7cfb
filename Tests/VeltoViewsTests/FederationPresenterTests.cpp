// The federation step over a fake model: lending stores the choice, announces and agrees in that
// order, and a scope switched on is announced for its consent to come into view.
#include "VeltoDesktop/Setup/FederationPresenter.hpp"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <string>
#include <vector>

#include "DesktopTestLoop.hpp"
#include "FakeSetupModel.hpp"

namespace velto::testing {
namespace {

using Calls = std::vector<std::string>;

class FederationPresenterTest : public ::testing::Test {
protected:
    DesktopTestLoop loop;
    FakeSetupModel model{loop.deviceExecutor()};
};

TEST_F(FederationPresenterTest, LendingStoresAnnouncesAndAgreesToTheAgreedScopes) {
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
        FederationPresenter federation(model.federation);
        federation.setAgreement(DeviceScope::sreQuestions, true);
        model.calls.clear();
        loop.run(federation.choose(c.lends));
        EXPECT_EQ(model.calls, c.calls);
    }
}

TEST_F(FederationPresenterTest, AScopeSwitchedOnIsAnnouncedFirstInAgreedOrder) {
    FederationPresenter federation(model.federation);
    QSignalSpy agreed(&federation, &FederationPresenter::scopeAgreed);
    federation.setScope("sre-investigations", true);
    federation.setScope("sre-reach", true);
    federation.setScope("sre-reach", true);
    federation.setScope("no-such-scope", true);
    federation.setScope("sre-reach", false);
    ASSERT_EQ(agreed.count(), 2);
    EXPECT_EQ(agreed[0][0].toString(), "sre-investigations");
    EXPECT_EQ(agreed[1][0].toString(), "sre-reach");
    EXPECT_EQ(federation.agreedScopes(), std::set<DeviceScope>{DeviceScope::sreInvestigations});
}

} // namespace
} // namespace velto::testing
