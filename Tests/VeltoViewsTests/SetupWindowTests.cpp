// The setup window over a fake model, with real clicks under the offscreen platform.
#include "VeltoDesktop/Views/DesktopUrlOpening.hpp"

#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include "SetupWindowFixture.hpp"

namespace velto::testing {
namespace {

class SetupWindowTest : public SetupWindowFixture {};

TEST_F(SetupWindowTest, OpensFramelessAtItsFixedSizeWithItsTitle) {
    auto& view = shown();
    EXPECT_EQ(view.title(), "Set Up Velto");
    EXPECT_EQ(view.size(), QSize(800, 560));
    EXPECT_EQ(view.minimumSize(), QSize(800, 560));
    EXPECT_EQ(view.maximumSize(), QSize(800, 560));
    EXPECT_TRUE(view.flags() & Qt::FramelessWindowHint);
}

TEST_F(SetupWindowTest, PairsLendsAndFinishesWithRealClicks) {
    model.toolState = CommandLineToolState::installed;
    model.loginState = LoginItemState::unavailable;
    model.harnessList = {installedHarness(HarnessKind::claudeCode)};
    model.joins = {sampleEnrollment("d1", "Acme", "ana", "Ana Lima")};
    shown();
    settle();
    ASSERT_EQ(window->flow()->steps().size(), 3u);

    click(item("addressField"));
    for (const char key : std::string("velto.example"))
        QTest::keyClick(window->window(), key);
    settle();
    EXPECT_EQ(window->flow()->pair()->address(), "velto.example");
    click(item("signInAndPair"));
    EXPECT_EQ(opener.opened,
              std::vector<std::string>{"https://velto.example/organization/settings/devices?pair=mac"});
    EXPECT_EQ(window->flow()->pair()->stage().kind(), PairStage::Case::waitingForBrowser);

    // The link the page hands over, as the model takes it.
    model.propose(sampleLink({"7KQ2-MX9D"}));
    settle();
    click(item("pairThisMac"));
    EXPECT_EQ(window->flow()->pair()->stage().kind(), PairStage::Case::paired);

    model.calls.clear();
    clickFooter("footerPrimary", "Continue");
    EXPECT_EQ(window->flow()->step(), SetupStep::federation);
    clickFooter("footerPrimary", "Lend My Subscriptions");
    EXPECT_EQ(window->flow()->step(), SetupStep::monitoring);
    clickFooter("footerPrimary", "Finish Setup");
    EXPECT_EQ(model.calls,
              (std::vector<std::string>{"setLendsSubscriptions true", "announceHello", "announced",
                                        "agreeEverywhere ", "agreed", "setMonitoredAgents claude-code",
                                        "reconcileAgents", "setHasFinishedSetup true", "dismissPrompt"}))
        << "stored finished, then the window closes and takes the joined prompt with it";
    EXPECT_FALSE(window->window()) << "the window closed";
}

TEST_F(SetupWindowTest, APageTheDesktopsOpenerRefusesIsShownNotWaitedFor) {
    // A stand-in for xdg-open that has no method for the page ("exit 3"), then one that takes it.
    QTemporaryDir folder;
    const auto script = folder.filePath("xdg-open");
    const auto standIn = [&](const char* body) {
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray("#!/bin/sh\n") + body + "\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    };
    standIn("exit 3");
    DesktopUrlOpening desktop(script, std::chrono::minutes(1));
    pageOpener = &desktop;
    shown();
    settle();
    const auto page = std::string("https://velto.example/organization/settings/devices?pair=mac");

    click(item("addressField"));
    for (const char key : std::string("velto.example"))
        QTest::keyClick(window->window(), key);
    click(item("signInAndPair"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->flow()->pair()->unopenedPage().has_value(); }, 10'000));
    settle();
    EXPECT_EQ(window->flow()->pair()->unopenedPage(), page);
    EXPECT_EQ(window->flow()->pair()->stage().kind(), PairStage::Case::address) << "nothing to wait for";
    auto* shownPage = item("unopenedPage");
    ASSERT_TRUE(shownPage);
    EXPECT_TRUE(shownPage->isVisible());
    EXPECT_EQ(shownPage->property("text").toString().toStdString(), page);

    standIn("exit 0");
    click(item("signInAndPair"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->flow()->pair()->isWaitingForBrowser(); }, 10'000));
    settle();
    EXPECT_EQ(window->flow()->pair()->stage().kind(), PairStage::Case::waitingForBrowser);
    EXPECT_FALSE(window->flow()->pair()->unopenedPage());
    window.reset(); // before the opener it uses
}

TEST_F(SetupWindowTest, AScopeSwitchedOnScrollsToTheTopOfTheListWithItsConsent) {
    model.setEnrollments({sampleEnrollment("d1", "Acme")});
    shown();
    window->flow()->advance();
    settle();
    ASSERT_EQ(window->flow()->step(), SetupStep::federation);
    auto* scroller = item("scopeScroller");
    ASSERT_TRUE(scroller);
    const auto viewport = [&] {
        return scroller->mapRectToScene(QRectF(0, 0, scroller->width(), scroller->height()));
    };
    const auto top = [&](const char* name) { return item(name)->mapToScene(QPointF(0, 0)).y(); };

    quint64 wheelTime = 10'000;
    for (const auto* scope : {"sre-questions", "sre-investigations", "sre-reach"}) {
        const auto switchName = std::string("scope-") + scope;
        const auto consentName = std::string("consent-") + scope;
        auto* toggle = item(switchName.c_str());
        ASSERT_TRUE(toggle) << scope;
        const auto inView = [&] {
            return viewport().contains(
                toggle->mapRectToScene(QRectF(0, 0, toggle->width(), toggle->height())));
        };
        // The user scrolls down to the switch first, with the wheel.
        for (int turn = 0; turn < 20 && !inView(); ++turn) {
            const auto centre = viewport().center();
            QWheelEvent wheel(centre, window->window()->mapToGlobal(centre), QPoint(), QPoint(0, -40),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            wheel.setTimestamp(wheelTime += 200);
            QGuiApplication::sendEvent(window->window(), &wheel);
            settle();
        }
        ASSERT_TRUE(inView()) << scope << ": its switch is in view before the click";
        click(toggle);
        auto* consent = item(consentName.c_str());
        ASSERT_TRUE(consent && consent->isVisible()) << scope;
        const auto row = toggle->parentItem()->parentItem(); // the row's title line, then its column
        const bool clamped = scroller->property("contentY").toReal() >=
                             scroller->property("contentHeight").toReal() - scroller->height() - 0.5;
        if (!clamped) {
            EXPECT_NEAR(row->mapToScene(QPointF(0, 0)).y() - 5, viewport().top(), 1.5)
                << scope << ": the row is at the top of the list";
        }
        EXPECT_LT(top(consentName.c_str()) + 12, viewport().bottom())
            << scope << ": its consent comes into view";
        EXPECT_GE(top(consentName.c_str()), viewport().top() - 0.5) << scope;
    }
}

TEST_F(SetupWindowTest, TabReachesAScopeSwitchWithItsRingAndSpaceSwitchesItOn) {
    model.setEnrollments({sampleEnrollment("d1", "Acme")});
    shown();
    window->flow()->advance();
    settle();
    ASSERT_EQ(window->flow()->step(), SetupStep::federation);
    auto* toggle = item("scope-sre-questions");
    ASSERT_TRUE(toggle);
    for (int press = 0; press < 30 && !toggle->hasActiveFocus(); ++press) {
        QTest::keyClick(window->window(), Qt::Key_Tab);
        settle();
    }
    ASSERT_TRUE(toggle->hasActiveFocus()) << "Tab reaches the switch";
    auto* ring = toggle->findChild<QQuickItem*>("focusRing");
    ASSERT_TRUE(ring);
    EXPECT_TRUE(ring->isVisible()) << "the switch Tab moved to shows its ring";
    EXPECT_FALSE(toggle->property("checked").toBool());
    QTest::keyClick(window->window(), Qt::Key_Space);
    settle();
    EXPECT_TRUE(toggle->property("checked").toBool()) << "Space switches it on";
    auto* consent = item("consent-sre-questions");
    EXPECT_TRUE(consent && consent->isVisible());
}

TEST_F(SetupWindowTest, TheCloseBeadLeavesSetupUnfinishedAndDropsAWaitingLink) {
    shown();
    settle();
    model.propose(sampleLink({"7KQ2-MX9D"}));
    settle();
    model.calls.clear();
    click(item("closeBead"));
    EXPECT_FALSE(window->window());
    EXPECT_EQ(model.calls, std::vector<std::string>{"dismissPrompt"});

    shown();
    settle();
    EXPECT_EQ(window->flow()->step(), SetupStep::pair) << "a new window starts again";
}

} // namespace
} // namespace velto::testing
