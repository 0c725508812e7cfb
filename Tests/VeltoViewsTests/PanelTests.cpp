#include <QClipboard>
#include <QGuiApplication>
#include <QQuickView>
#include <QSignalSpy>
#include <QWindow>
#include <filesystem>

#include "Goldens.hpp"
#include "PanelFixture.hpp"

namespace velto::testing {
namespace {

std::string scopesBody(const std::string& deviceId, bool reachHeld) {
    Json scopes = Json::array();
    for (auto name : {"reviews", "sre-questions", "sre-investigations", "sre-reach"})
        scopes.push_back({{"scope", name},
                          {"isHeld", std::string(name) == "sre-reach" && reachHeld},
                          {"isAllowed", true}});
    return Json{{"deviceId", deviceId}, {"scopes", scopes}}.dump();
}

using PanelTest = PanelFixture;

TEST_F(PanelTest, ATrayClickOpensThePanelAtTheIconAndASecondClosesIt) {
    makeStatusItem();
    ASSERT_TRUE(statusItem->hasTray());
    EXPECT_EQ(host->label, "Velto, offline");
    openPanel();
    const auto& placed = panel->placement();
    ASSERT_TRUE(placed);
    EXPECT_FALSE(placed->opensAbove);
    EXPECT_EQ(placed->frame.width(), 360) << "no compositor: an opaque card without the shadow's margin";
    EXPECT_EQ(placed->frame.left() + 180, 1012);
    EXPECT_EQ(item("panelContent")->opacity(), 1.0);
    host->click();
    EXPECT_FALSE(panel->isVisible());
    host->click();
    settle();
    EXPECT_TRUE(panel->isVisible());
}

TEST_F(PanelTest, FocusElsewhereClosesAndTheClosingClickDoesNotReopen) {
    makeStatusItem();
    openPanel();
    focusAnotherApplication();
    ASSERT_TRUE(QTest::qWaitFor([] { return QGuiApplication::focusWindow() == nullptr; }));
    EXPECT_FALSE(panel->isVisible());
    now += std::chrono::milliseconds(200);
    host->click();
    settle();
    EXPECT_FALSE(panel->isVisible()) << "the click that took the focus was the closing click";
    now += std::chrono::milliseconds(400);
    host->click();
    settle();
    EXPECT_TRUE(panel->isVisible());
}

/// A window of ours with a button, as the setup and enrollment windows are.
std::unique_ptr<QQuickView> ownWindow(QQmlEngine& engine) {
    auto window = std::make_unique<QQuickView>(&engine, nullptr);
    window->setResizeMode(QQuickView::SizeViewToRootObject);
    window->setSource(QUrl("data:text/plain,import QtQuick; Rectangle { width: 200; height: 120; "
                           "property int clicks: 0; MouseArea { anchors.fill: parent; "
                           "onClicked: parent.clicks++ } }"));
    return window;
}

TEST_F(PanelTest, ClicksInAnyWindowOfOursKeepThePanelOpen) {
    makeStatusItem();
    for (bool fromLaunch : {true, false}) {
        SCOPED_TRACE(fromLaunch ? "the setup window takes focus after the tray click"
                                : "a click in a window of ours while the panel is open");
        auto window = ownWindow(views->engine());
        ASSERT_TRUE(window->rootObject());
        if (!fromLaunch)
            window->show();
        openPanel();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QGuiApplication::focusWindow() == panel->window(); }));
        // At launch the setup window is still coming up when the tray is clicked; later the window
        // manager gives the clicked window the focus.
        if (fromLaunch)
            window->show();
        window->requestActivate();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QGuiApplication::focusWindow() == window.get(); }));
        QTest::mouseClick(window.get(), Qt::LeftButton, {}, QPoint(100, 60));
        settle();
        EXPECT_EQ(window->rootObject()->property("clicks").toInt(), 1);
        EXPECT_TRUE(panel->isVisible());
        focusAnotherApplication();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !panel->isVisible(); }));
        now += std::chrono::seconds(1);
    }
}

TEST_F(PanelTest, EscapeRunsEveryClosingStepAndClearsConfirmations) {
    adopt("dev-1", "Acme");
    makeStatusItem();
    openPanel();
    menu->organizationList().askToRemove("dev-1");
    EXPECT_FALSE(menu->organizationList().confirmation().isEmpty());
    QTest::keyClick(panel->window(), Qt::Key_Escape);
    settle();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(menu->organizationList().confirmation().isEmpty());
}

TEST_F(PanelTest, CloseMenuBeforeThePanelExistsMakesNoWindow) {
    makeStatusItem();
    model->closeMenu();
    EXPECT_FALSE(panel->exists());
}

TEST_F(PanelTest, TheFirstShowTakesEffectOnceTheContentIsMadeAndAClosingBeforeThenHolds) {
    makeStatusItem();
    host->click();
    EXPECT_TRUE(panel->isLoading()) << "the content is made over the loop's turns, not in the click";
    EXPECT_FALSE(panel->isVisible());
    statusItem->close();
    settle();
    EXPECT_FALSE(panel->isLoading());
    EXPECT_FALSE(panel->isVisible()) << "closed before its content was made";
    host->click();
    settle();
    EXPECT_TRUE(panel->isVisible());
}

TEST_F(PanelTest, NoTrayShowsTheContentAsAWindowUntilATrayAppears) {
    detection->present = false;
    makeStatusItem();
    settle();
    EXPECT_FALSE(statusItem->hasTray());
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->mode(), MenuPanel::Mode::window);
    statusItem->recheck();
    EXPECT_FALSE(statusItem->hasTray());
    detection->present = true;
    statusItem->recheck();
    ASSERT_TRUE(statusItem->hasTray());
    EXPECT_FALSE(panel->isVisible()) << "the tray takes over from the window";
    EXPECT_EQ(host->shows, 1);
}

TEST_F(PanelTest, WithoutATrayNothingTicksOnceTheWindowIsClosedAndItsNextShowingLooksFirst) {
    detection->present = false;
    makeStatusItem();
    EXPECT_TRUE(statusItem->isLookingForTray());
    statusItem->close();
    statusItem->recheck(); // the timer's next tick
    EXPECT_FALSE(statusItem->isLookingForTray());
    EXPECT_FALSE(panel->isVisible());

    statusItem->bringForward();
    settle();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->mode(), MenuPanel::Mode::window);
    EXPECT_TRUE(statusItem->isLookingForTray());
    statusItem->close();
    statusItem->recheck();

    detection->present = true;
    statusItem->bringForward();
    ASSERT_TRUE(statusItem->hasTray()) << "a tray that came while no window was open";
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->mode(), MenuPanel::Mode::panel);
    EXPECT_FALSE(statusItem->isLookingForTray());
}

TEST_F(PanelTest, TheIconFollowsTheOverallConnection) {
    adopt("dev-1", "Acme");
    makeStatusItem();
    EXPECT_EQ(host->label, "Velto, offline");
    model->organizations().setConnectionState(ConnectionState::connected("dev-1"), "dev-1");
    EXPECT_EQ(host->label, "Velto, connected");
    model->organizations().setConnectionState(ConnectionState::stopped("Revoked."), "dev-1");
    EXPECT_EQ(host->label, "Velto, needs attention");
    const int shows = host->shows;
    model->organizations().setConnectionState(ConnectionState::stopped("Revoked again."), "dev-1");
    EXPECT_EQ(host->shows, shows) << "the same overall state draws nothing again";
}

TEST_F(PanelTest, PauseClosesTheMenuAndAsksTheModel) {
    adopt("dev-1", "Acme");
    makeStatusItem();
    openPanel();
    click(item("command-Pause Reviews"));
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(model->isPaused());
    openPanel();
    EXPECT_TRUE(item("command-Resume Reviews"));
}

TEST_F(PanelTest, AnOrganizationAddedWhileOpenGrowsThePanelUnderTheSameAnchor) {
    adopt("dev-1", "Acme");
    makeStatusItem();
    openPanel();
    const auto before = panel->placement()->frame;
    adopt("dev-2", "Zeta");
    settle();
    const auto after = panel->placement()->frame;
    EXPECT_GT(after.height(), before.height());
    EXPECT_EQ(after.top(), before.top());
    EXPECT_EQ(after.left(), before.left());
    EXPECT_EQ(panel->window()->height(), after.height());
}

TEST_F(PanelTest, EightOrganizationsScrollAndRemovingShrinksTheList) {
    for (int index = 0; index < 8; ++index)
        adopt("dev-" + std::to_string(index), "Organization " + std::to_string(index));
    makeStatusItem();
    openPanel();
    EXPECT_EQ(item("organizationRows")->height(), OrganizationListController::maximumRowsHeight);
    for (int left = 8; left > 2; --left)
        loop.run(model->organizations().remove(model->organizations().rows().back()));
    settle();
    const auto two = item("organizationRows")->height();
    EXPECT_GT(two, 0);
    EXPECT_LT(two, OrganizationListController::maximumRowsHeight);
}

TEST_F(PanelTest, ACappedPanelShowsItScrollsAndEachOpeningStartsAtTheTop) {
    for (int index = 0; index < 8; ++index)
        adopt("dev-" + std::to_string(index), "Organization " + std::to_string(index));
    screens = std::vector<PanelPlacement::Screen>{{QRect(0, 0, 1280, 400), QRect(0, 0, 1280, 400), true}};
    makeStatusItem();
    host->place = QRect(1000, 2, 24, 24);
    openPanel();
    layOut(panel->window());
    auto* content = item("panelContent");
    auto* rows = qobject_cast<QQuickItem*>(item("organizationRows"));
    ASSERT_TRUE(content && rows);
    const auto& placed = panel->placement();
    ASSERT_TRUE(placed);
    EXPECT_FALSE(placed->frame.intersects(*host->place)) << "the card keeps off the icon";
    EXPECT_LE(placed->frame.bottom(), 400 - 8);
    auto* frameScroller = find(content, "scrollMark");
    ASSERT_TRUE(frameScroller);
    EXPECT_TRUE(frameScroller->isVisible()) << "the capped card says it scrolls";
    auto* rowsMark = find(rows, "scrollMark");
    ASSERT_TRUE(rowsMark);
    EXPECT_TRUE(rowsMark->isVisible()) << "eight organizations scroll in their card";

    rows->setProperty("contentY", 60);
    settle();
    EXPECT_GT(rowsMark->y(), 0) << "the mark follows the part in view";
    host->click();
    EXPECT_FALSE(panel->isVisible());
    host->click();
    settle();
    EXPECT_EQ(rows->property("contentY").toDouble(), 0.0) << "the next opening starts at the first";

    for (int left = 8; left > 1; --left)
        loop.run(model->organizations().remove(model->organizations().rows().back()));
    settle();
    layOut(panel->window());
    EXPECT_FALSE(rowsMark->isVisible()) << "one organization does not scroll";
}

TEST_F(PanelTest, TheHarnessCardSaysWhetherALookIsUnderWay) {
    makeStatusItem();
    openPanel();
    EXPECT_EQ(menu->harnessPlaceholder(), "Harnesses not checked yet");
    model->spawn("detect the harnesses", model->harnesses().refresh());
    // The main thread's half only: the detection waits on the device side.
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(menu->harnessPlaceholder(), "Looking for harnesses\u2026");
    settle();
    EXPECT_EQ(menu->harnessPlaceholder(), "Harnesses not checked yet") << "nothing was found";
}

TEST_F(PanelTest, CtrlPPausesAndCloses) {
    adopt("dev-1", "Acme");
    makeStatusItem();
    openPanel();
    QTest::keyClick(panel->window(), Qt::Key_P, Qt::ControlModifier);
    settle();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(model->isPaused());
}

TEST_F(PanelTest, CtrlQAndTheLoginSwitchLeaveThePanelOpen) {
    makeStatusItem();
    openPanel();
    ASSERT_EQ(model->loginItem().state(), LoginItemState::off);
    click(item("command-Open at Login"));
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(model->loginItem().state(), LoginItemState::on);
    QTest::keyClick(panel->window(), Qt::Key_Q, Qt::ControlModifier);
    settle();
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(panel->isVisible()) << "quitting does not close the menu first";
    click(item("command-Open at Login"));
    EXPECT_EQ(model->loginItem().state(), LoginItemState::off);
    EXPECT_EQ(loginSettingsShown, 0);
}

TEST_F(PanelTest, TabReachesEveryControlWithARingAndSpaceOrReturnPressesIt) {
    adopt("dev-1", "Acme");
    makeStatusItem();
    openPanel();
    auto* window = panel->window();
    layOut(window);
    // Tab from the top: the focused control shows its ring; the names in the order Tab meets them.
    QStringList reached;
    for (int step = 0; step < 12; ++step) {
        QTest::keyClick(window, Qt::Key_Tab);
        settle();
        auto* focused = window->activeFocusItem();
        ASSERT_TRUE(focused);
        if (reached.contains(focused->objectName()))
            break;
        reached.push_back(focused->objectName());
        auto* ring = find(focused, "focusRing");
        ASSERT_TRUE(ring) << focused->objectName().toStdString();
        EXPECT_TRUE(ring->isVisible()) << focused->objectName().toStdString();
    }
    for (auto name : {"menuHeader", "actions-dev-1", "command-Open at Login", "command-Quit Velto"})
        EXPECT_TRUE(reached.contains(name)) << name << " in " << reached.join(", ").toStdString();

    // A click gives no ring.
    click(item("command-Open at Login"));
    EXPECT_FALSE(find(item("command-Open at Login"), "focusRing")->isVisible());
    EXPECT_EQ(model->loginItem().state(), LoginItemState::on);

    item("command-Open at Login")->forceActiveFocus(Qt::TabFocusReason);
    QTest::keyClick(window, Qt::Key_Space);
    settle();
    EXPECT_EQ(model->loginItem().state(), LoginItemState::off) << "Space";
    // The commands are made anew when the state changes.
    item("command-Open at Login")->forceActiveFocus(Qt::TabFocusReason);
    QTest::keyClick(window, Qt::Key_Return);
    settle();
    EXPECT_EQ(model->loginItem().state(), LoginItemState::on) << "Return";

    item("actions-dev-1")->forceActiveFocus(Qt::TabFocusReason);
    QTest::keyClick(window, Qt::Key_Return);
    settle();
    EXPECT_TRUE(entry("openInVelto")) << "Return opens the actions menu";
}

TEST_F(PanelTest, HoverTintsTheRowUnderThePointer) {
    makeStatusItem();
    openPanel();
    auto* row = item("command-Quit Velto");
    ASSERT_TRUE(row);
    auto* window = panel->window();
    layOut(window);
    auto* background = qvariant_cast<QQuickItem*>(row->property("background"));
    ASSERT_TRUE(background);
    EXPECT_FALSE(background->isVisible());
    QTest::mouseMove(window, row->mapToScene(QPointF(row->width() / 2, row->height() / 2)).toPoint());
    settle();
    EXPECT_TRUE(background->isVisible());
    QTest::mouseMove(window, QPoint(2, 2));
    settle();
    EXPECT_FALSE(background->isVisible());
}

TEST_F(PanelTest, RemoveAsksFirstAndCancelKeepsTheOrganization) {
    adopt("dev-1", "Acme");
    makeStatusItem();
    openPanel();
    click(item("actions-dev-1"));
    click(entry("removeFromThisMac"));
    ASSERT_TRUE(item("confirmation"));
    EXPECT_FALSE(item("organizationRows")->isVisible());
    click(item("confirmationCancel"));
    EXPECT_TRUE(item("organizationRows")->isVisible());
    EXPECT_EQ(model->organizations().rows().size(), 1u);

    click(item("actions-dev-1"));
    click(entry("removeFromThisMac"));
    click(item("confirmationConfirm"));
    EXPECT_TRUE(model->organizations().rows().empty());
    EXPECT_TRUE(panel->isVisible()) << "removing happens inside the panel";
}

TEST_F(PanelTest, AConfirmationGoesWithItsOrganizationOnly) {
    adopt("dev-1", "Acme");
    adopt("dev-2", "Zeta");
    makeStatusItem();
    openPanel();
    menu->organizationList().askToRemove("dev-2");
    loop.run(model->organizations().remove(model->organizations().rows()[0]));
    settle();
    ASSERT_FALSE(menu->organizationList().confirmation().isEmpty())
        << "another organization leaving keeps it";
    EXPECT_TRUE(item("confirmation"));
    loop.run(model->organizations().remove(model->organizations().rows()[0]));
    settle();
    EXPECT_TRUE(menu->organizationList().confirmation().isEmpty());
    EXPECT_FALSE(item("confirmation") && item("confirmation")->isVisible());
}

TEST_F(PanelTest, AllowSendsTheAnswerAndCancelSendsNothing) {
    services->transport->route("GET", "/api/devices/dev-1/scopes",
                               RoutedTransport::reply(200, scopesBody("dev-1", false)));
    services->transport->route("PUT", "/api/devices/dev-1/scopes/sre-reach",
                               RoutedTransport::reply(200, scopesBody("dev-1", true)));
    adopt("dev-1", "Acme");
    loop.run(model->scopes().refreshScopes("dev-1"));
    makeStatusItem();
    openPanel();
    const auto puts = [this] { return services->transport->paths("PUT").size(); };
    click(item("actions-dev-1"));
    click(entry("scope-3"));
    ASSERT_TRUE(item("confirmation"));
    EXPECT_EQ(menu->organizationList().confirmation()["headline"].toString(),
              "Allow Production Data for Acme?");
    click(item("confirmationCancel"));
    EXPECT_EQ(puts(), 0u);
    click(item("actions-dev-1"));
    click(entry("scope-3"));
    click(item("confirmationConfirm"));
    ASSERT_EQ(puts(), 1u);
    EXPECT_EQ(services->transport->paths("PUT")[0], "/api/devices/dev-1/scopes/sre-reach");
    EXPECT_TRUE(model->scopes().scopes(model->organizations().rows()[0])->holds(DeviceScope::sreReach));
}

TEST_F(PanelTest, TheHeaderOpensTheDashboardAfterClosing) {
    adopt("dev-1", "Acme");
    makeStatusItem();
    openPanel();
    click(item("menuHeader"));
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(urls->opened, std::vector<std::string>{"https://velto.example"});
}

TEST_F(PanelTest, CopyVersionPutsExactlyTheCopyTextOnTheClipboard) {
    services->detected = {
        HarnessStatus::installed(HarnessKind::codex, "/bin/codex", "codex-cli 0.46.0", LoginState::signedIn)};
    loop.run(model->harnesses().refresh());
    makeStatusItem();
    openPanel();
    QGuiApplication::clipboard()->setText("something else");
    click(item("harness-codex"), Qt::RightButton);
    click(entry("copyVersion"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Codex codex-cli 0.46.0");
}

/// A copy whose own agent resources can be used, so installed tools offer the add-on.
class AddOnPanelTest : public PanelFixture {
protected:
    void SetUp() override {
        const auto bundle = services->folder.path() / "Velto.app";
        std::filesystem::create_directories(bundle / "Contents" / "Resources" / "agents");
        services->deviceEnvironment.bundle = bundle;
        services->deviceEnvironment.agentResources = bundle / "Contents" / "Resources" / "agents";
        PanelFixture::SetUp();
    }
};

TEST_F(AddOnPanelTest, TheSwitchIsOfferedForInstalledToolsAndFollowsTheChoice) {
    services->detected = {
        HarnessStatus::installed(HarnessKind::claudeCode, "/bin/claude", "2.1.4", LoginState::signedIn),
        HarnessStatus::notInstalled(HarnessKind::muse)};
    loop.run(model->harnesses().refresh());
    makeStatusItem();
    openPanel();
    click(item("harness-claude-code"), Qt::RightButton);
    auto* addOn = entry("agentSwitch");
    ASSERT_TRUE(addOn);
    EXPECT_EQ(addOn->property("text").toString(), "Add Velto to Claude Code");
    EXPECT_GE(addOn->width(), addOn->implicitWidth()) << "the menu is not narrowed at the window's edge";
    click(addOn);
    EXPECT_EQ(model->preferences().monitoredAgents().count(HarnessKind::claudeCode), 1u);
    click(item("harness-claude-code"), Qt::RightButton);
    EXPECT_EQ(entry("agentSwitch")->property("text").toString(), "Remove Velto from Claude Code");
    click(entry("agentSwitch"));
    EXPECT_EQ(model->preferences().monitoredAgents().count(HarnessKind::claudeCode), 0u);
    click(item("harness-muse"), Qt::RightButton);
    EXPECT_FALSE(entry("agentSwitch")->isVisible()) << "nothing to add to a tool that is not there";
}

TEST_F(PanelTest, WithoutTheCopysAgentResourcesNoToolOffersTheAddOn) {
    services->detected = {
        HarnessStatus::installed(HarnessKind::claudeCode, "/bin/claude", "2.1.4", LoginState::signedIn)};
    loop.run(model->harnesses().refresh());
    makeStatusItem();
    openPanel();
    click(item("harness-claude-code"), Qt::RightButton);
    EXPECT_FALSE(entry("agentSwitch")->isVisible());
}

TEST_F(PanelTest, AScreenThatGoesClosesThePanel) {
    makeStatusItem();
    openPanel();
    Q_EMIT qGuiApp->screenRemoved(QGuiApplication::primaryScreen());
    EXPECT_FALSE(panel->isVisible());
}

} // namespace
} // namespace velto::testing
