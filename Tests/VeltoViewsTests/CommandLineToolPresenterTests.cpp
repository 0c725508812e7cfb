// The command-line tool step over a fake model: when it is offered, what an install answers, and the
// refusal as its notice.
#include "VeltoDesktop/Setup/CommandLineToolPresenter.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DesktopTestLoop.hpp"
#include "FakeSetupModel.hpp"

namespace velto::testing {
namespace {

using Calls = std::vector<std::string>;

class CommandLineToolPresenterTest : public ::testing::Test {
protected:
    DesktopTestLoop loop;
    FakeSetupModel model{loop.deviceExecutor()};
};

TEST_F(CommandLineToolPresenterTest, OfferedOnlyForALinkThatIsNotInstalledOrIsTaken) {
    struct Case {
        CommandLineToolState state;
        bool offered;
    };
    const std::vector<Case> cases{{CommandLineToolState::notInstalled, true},
                                  {CommandLineToolState::taken, true},
                                  {CommandLineToolState::installed, false},
                                  {CommandLineToolState::unavailable, false}};
    for (const auto& c : cases) {
        model.toolState = c.state;
        CommandLineToolPresenter tool(model.commandLineTool);
        EXPECT_EQ(tool.isOffered(), c.offered) << static_cast<int>(c.state);
    }
}

TEST_F(CommandLineToolPresenterTest, AnInstallAnswersWhetherTheCommandIsInstalled) {
    struct Case {
        CommandLineToolInstall outcome;
        bool installed;
        QString notice;
    };
    const std::vector<Case> cases{
        {CommandLineToolInstall::installed(), true, ""},
        {CommandLineToolInstall::refused("The link is in the way."), false, "The link is in the way."},
        {CommandLineToolInstall::cancelled(), false, ""},
    };
    for (const auto& c : cases) {
        model.installOutcome = c.outcome;
        CommandLineToolPresenter tool(model.commandLineTool);
        model.calls.clear();
        EXPECT_EQ(loop.run(tool.install()), c.installed);
        EXPECT_EQ(model.calls, Calls{"installCommandLineTool"});
        EXPECT_EQ(tool.notice().value("text").toString(), c.notice);
        EXPECT_FALSE(tool.isInstalling());
    }
}

} // namespace
} // namespace velto::testing
