#include "PromptFixture.hpp"

namespace velto::testing {
namespace {

class PromptTest : public PromptFixture {
protected:
    void propose(const std::string& query) {
        model->enrollment().propose(std::string_view("velto://enroll?" + query));
        settle();
    }

    QQuickItem* promptItem(const QString& name) const { return find(window->window()->contentItem(), name); }

    /// A real click; without `drain`, the device side does not run after it.
    void clickPrompt(const QString& name, bool drain = true) {
        auto* target = promptItem(name);
        ASSERT_TRUE(target) << name.toStdString();
        if (drain) {
            click(target);
            return;
        }
        auto* shown = target->window();
        shown->grabWindow();
        const auto centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2)).toPoint();
        QTest::mouseClick(shown, Qt::LeftButton, {}, centre);
        for (int turn = 0; turn < 5; ++turn)
            QCoreApplication::processEvents();
    }

    /// Confirms without letting the device side run: the codes stay being spent.
    void startSpending() {
        model->spawn("confirm the enrollment", model->enrollment().confirm());
        for (int turn = 0; turn < 5; ++turn)
            QCoreApplication::processEvents();
    }

    void routeJoin() {
        Json body{{"deviceId", "dev-9"},
                  {"organization", {{"id", "org-9"}, {"name", "Zeta"}}},
                  {"user", {{"login", "ana"}}}};
        services->transport->route("POST", "/api/devices/enroll", RoutedTransport::reply(201, body.dump()));
    }
};

TEST_F(PromptTest, TheWindowIsTheFloatingEnrollThisMac) {
    propose("server=https://velto.example&code=7KQ2-MX9D");
    ASSERT_TRUE(window->window());
    EXPECT_TRUE(window->window()->isVisible());
    EXPECT_EQ(window->window()->title(), "Enroll this computer");
    EXPECT_TRUE(window->window()->flags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(window->window()->width(), 420);
    EXPECT_EQ(window->window()->minimumSize(), window->window()->maximumSize()) << "not resizable";
}

TEST_F(PromptTest, EscapeClosesTheConfirmationAndReturnDoesNotEnroll) {
    propose("server=https://velto.example&code=7KQ2-MX9D");
    QTest::keyClick(window->window(), Qt::Key_Return);
    settle();
    EXPECT_EQ(window->controller().stage(), "confirming") << "Enroll has no keyboard shortcut";
    EXPECT_TRUE(services->transport->requests().empty());
    QTest::keyClick(window->window(), Qt::Key_Escape);
    settle();
    EXPECT_FALSE(window->window()->isVisible());
    EXPECT_FALSE(model->enrollment().prompt()) << "closing outside a spend clears the prompt";
}

TEST_F(PromptTest, CancelClosesAndEnrollSpendsToJoinedWhereReturnIsDone) {
    propose("server=https://velto.example&code=7KQ2-MX9D");
    clickPrompt("promptCancel");
    EXPECT_FALSE(window->window()->isVisible());
    routeJoin();
    propose("server=https://velto.example&code=7KQ2-MX9D");
    clickPrompt("promptEnroll");
    ASSERT_EQ(window->controller().stage(), "joined");
    EXPECT_EQ(window->controller().headline(), "This computer joined Zeta");
    QTest::keyClick(window->window(), Qt::Key_Escape);
    settle();
    EXPECT_TRUE(window->window()->isVisible()) << "Escape does not close the summary";
    QTest::keyClick(window->window(), Qt::Key_Return);
    settle();
    EXPECT_FALSE(window->window()->isVisible());
    EXPECT_FALSE(model->enrollment().prompt());
}

TEST_F(PromptTest, AFailureClosesOnEscapeOrClose) {
    propose("server=ftp://velto.example&code=7KQ2-MX9D");
    ASSERT_EQ(window->controller().stage(), "failed");
    EXPECT_EQ(window->controller().headline(), "This computer was not enrolled");
    QTest::keyClick(window->window(), Qt::Key_Escape);
    settle();
    EXPECT_FALSE(window->window()->isVisible());
    propose("server=ftp://velto.example&code=7KQ2-MX9D");
    EXPECT_TRUE(window->window()->isVisible()) << "the same window shows again";
    clickPrompt("promptClose");
    EXPECT_FALSE(window->window()->isVisible());
}

TEST_F(PromptTest, TheProgressBarSweepsUnlessMotionIsReduced) {
    routeJoin();
    for (bool reduce : {false, true}) {
        SCOPED_TRACE(reduce ? "reduced motion" : "motion");
        window->controller().setReduceMotion(reduce);
        propose("server=https://velto.example&code=7KQ2-MX9D");
        clickPrompt("promptEnroll", /*drain=*/false);
        ASSERT_EQ(window->controller().stage(), "enrolling");
        auto* bar = promptItem("progressBar");
        ASSERT_TRUE(bar);
        std::vector<double> places;
        for (int step = 0; step < 3; ++step) {
            places.push_back(bar->x());
            animations.advanceBy(350);
            QCoreApplication::processEvents();
        }
        if (reduce) {
            EXPECT_EQ(places[0], places[1]);
            EXPECT_EQ(places[1], places[2]);
            EXPECT_NEAR(places[0], bar->width(), 1) << "a still third in the middle";
        } else {
            EXPECT_LT(places[0], places[1]);
            EXPECT_LT(places[1], places[2]);
        }
        settle();
        ASSERT_EQ(window->controller().stage(), "joined");
        window->close();
        settle();
    }
}

TEST_F(PromptTest, ClosingWhileSpendingKeepsTheProgress) {
    routeJoin();
    propose("server=https://velto.example&code=7KQ2-MX9D&code=AAAA-BBBB");
    startSpending();
    ASSERT_EQ(window->controller().stage(), "enrolling");
    EXPECT_EQ(window->controller().progressTitle(), "Enrolling in 2 organizations on velto.example\u2026");
    QTest::keyClick(window->window(), Qt::Key_Escape);
    EXPECT_TRUE(window->window()->isVisible()) << "no control acts while the codes are spent";
    window->close();
    EXPECT_FALSE(window->window()->isVisible());
    ASSERT_TRUE(model->enrollment().prompt());
    EXPECT_TRUE(model->enrollment().prompt()->as<EnrollmentPrompt::Enrolling>());
    settle();
    EXPECT_EQ(window->controller().stage(), "joined");
    EXPECT_TRUE(window->window()->isVisible()) << "the finished spend shows the prompt again";
}

} // namespace
} // namespace velto::testing
