#include "VeltoDesktop/AppDelegate.hpp"

#include "ModelFixture.hpp"

namespace velto {
namespace {

using testing::ModelFixture;

class LaunchLinksTest : public ModelFixture {
protected:
    void SetUp() override {
        delegate = std::make_unique<AppDelegate>(loop.mainExecutor(), services, [this] { ++terminations; });
    }
    void TearDown() override {
        delegate.reset();
        loop.drain();
    }

    std::unique_ptr<AppDelegate> delegate;
    int terminations = 0;
};

TEST_F(LaunchLinksTest, LinksBeforeReadyLeaveTheLastOneProposedOnceAfterRestore) {
    services->save({enrollment("dev-a", "org-a", "Acme")});
    delegate->open({"velto://enroll?server=https://velto.example&code=AAAA-1111"});
    delegate->open({"not a link", "velto://enroll?server=https://velto.example&code=BBBB-2222",
                    "velto://enroll?server=https://velto.example&code=CCCC-3333"});
    EXPECT_EQ(delegate->launchLink(), "velto://enroll?server=https://velto.example&code=BBBB-2222");
    delegate->willFinishLaunching();
    delegate->didFinishLaunching();
    EXPECT_FALSE(delegate->isReady()) << "ready only once restore has read every key";
    loop.drain();

    EXPECT_TRUE(delegate->isReady());
    EXPECT_TRUE(delegate->hasFinishedLaunching());
    EXPECT_FALSE(delegate->launchLink());
    ASSERT_TRUE(delegate->model().enrollment().prompt());
    const auto* confirming = delegate->model().enrollment().prompt()->as<EnrollmentPrompt::Confirming>();
    ASSERT_TRUE(confirming);
    EXPECT_EQ(confirming->gate.proposal().displayCodes(), std::vector<std::string>{"BBBB-2222"});
    auto lines = log->messages("app");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "ignored an argument that is not a link"), 1);
    EXPECT_NE(
        std::find(lines.begin(), lines.end(),
                  "the enrollment prompt would open in the enrollment window: it waits for confirmation"),
        lines.end());
}

TEST_F(LaunchLinksTest, WithoutOrganizationsThePromptOpensInTheSetupWindow) {
    int shows = 0;
    delegate->setShowSetup([&shows] { ++shows; });
    delegate->willFinishLaunching();
    delegate->didFinishLaunching();
    loop.drain();
    EXPECT_EQ(shows, 1) << "setup is not finished: the window opens at launch";
    delegate->open({"velto://enroll?server=https://velto.example&code=AAAA-1111"});
    EXPECT_EQ(shows, 2) << "the link is confirmed in the setup window";
    auto lines = log->messages("app");
    EXPECT_EQ(lines.back(), "the enrollment prompt opens in the setup window");

    // Without a window to show, the hook says so.
    delegate->setShowSetup(nullptr);
    delegate->model().presentSetup();
    EXPECT_EQ(log->messages("app").back(), "the setup window would open");
}

TEST_F(LaunchLinksTest, AFirstEnrollmentEndsInTheSetupWindowAndALaterLinkOpensTheEnrollmentWindow) {
    services->transport->route("POST", "/api/devices/enroll",
                               {joined("dev-a", "org-a", "Acme"), joined("dev-b", "org-b", "Bolt")});
    int shows = 0;
    delegate->setShowSetup([&shows] { ++shows; });
    delegate->willFinishLaunching();
    delegate->didFinishLaunching();
    loop.drain();
    const auto promptLines = [this] {
        std::vector<std::string> found;
        for (const auto& line : log->messages("app")) {
            if (line.starts_with("the enrollment prompt"))
                found.push_back(line);
        }
        return found;
    };

    delegate->open({"velto://enroll?server=https://velto.example&code=AAAA-1111"});
    loop.run(delegate->model().enrollment().confirm());
    ASSERT_TRUE(delegate->model().enrollment().prompt()->as<EnrollmentPrompt::Joined>());
    EXPECT_EQ(shows, 3) << "the launch, the proposal and its outcome";
    EXPECT_EQ(promptLines(), std::vector<std::string>(2, "the enrollment prompt opens in the setup window"))
        << "the joined organization is listed by the outcome, which still belongs to setup";

    delegate->open({"velto://enroll?server=https://velto.example&code=BBBB-2222"});
    loop.run(delegate->model().enrollment().confirm());
    EXPECT_EQ(shows, 3);
    const auto later = promptLines();
    ASSERT_EQ(later.size(), 4u);
    EXPECT_EQ(later[2],
              "the enrollment prompt would open in the enrollment window: it waits for confirmation");
    EXPECT_EQ(later[3], later[2]);
}

TEST_F(LaunchLinksTest, WithSetupFinishedLaunchingOpensNoWindowAndTerminatingEndsTheSleepObservation) {
    services->save({enrollment("dev-a", "org-a", "Acme")});
    services->standard->set("hasFinishedSetup", true);
    delegate = std::make_unique<AppDelegate>(loop.mainExecutor(), services, [this] { ++terminations; });
    delegate->willFinishLaunching();
    delegate->didFinishLaunching();
    loop.drain();
    ASSERT_TRUE(delegate->hasFinishedLaunching());
    auto lines = log->messages("app");
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "the setup window would open"), lines.end());

    services->power->sleep();
    loop.drain();
    EXPECT_EQ(services->runner->cancelAllCount, 1);
    delegate->willTerminate();
    services->power->sleep();
    services->power->wake();
    loop.drain();
    EXPECT_EQ(services->runner->cancelAllCount, 1) << "no sleep or wake counts after termination";
    EXPECT_TRUE(delegate->model().isAsleep());
    EXPECT_EQ(terminations, 0);
}

TEST_F(LaunchLinksTest, ArgumentsThatAreLinks) {
    struct Case {
        const char* argument;
        bool isLink;
    };
    for (const auto& c : std::vector<Case>{{"velto://enroll?code=X", true},
                                           {"VELTO://enroll", true},
                                           {"velto:", true},
                                           {"https://velto.example", false},
                                           {"--verbose", false},
                                           {"", false},
                                           {"velto", false}}) {
        EXPECT_EQ(AppDelegate::isLink(c.argument), c.isLink) << c.argument;
    }
    EXPECT_FALSE(AppDelegate::isLink("velto://enroll?code=" + std::string(70000, 'A')));
}

} // namespace
} // namespace velto
