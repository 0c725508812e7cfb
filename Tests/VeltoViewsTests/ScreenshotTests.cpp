#include "VeltoDevice/CommandLineTool/CommandLineLinks.hpp"
#include "VeltoDevice/LoginItem/LoginItemService.hpp"

#include <boost/url/parse.hpp>

#include "Goldens.hpp"
#include "PanelFixture.hpp"
#include "PromptFixture.hpp"

namespace velto::testing {
namespace {

/// A login item that is on.
class OpenAtLogin final : public LoginItemService {
public:
    LoginItemState state() const override { return LoginItemState::on; }
    void registerItem() override {}
    void unregisterItem() override {}
};

/// Another program sits where the velto command's link goes.
class TakenLink final : public CommandLineLinks {
public:
    bool hasEntry(const std::filesystem::path&) const override { return true; }
    std::optional<std::filesystem::path> destination(const std::filesystem::path&) const override {
        return std::nullopt;
    }
    void link(const std::filesystem::path&, const std::filesystem::path&) override {}
    boost::asio::awaitable<void> linkAsAdministrator(std::filesystem::path, std::filesystem::path) override {
        co_return;
    }
};

/// One grab per state of the panel and the prompt, over the window's opaque colour, in the pinned
/// font, checked against the goldens.
class ScreenshotTest : public PanelFixture {
protected:
    void SetUp() override {
        services->loginItem = std::make_shared<LoginItem>(std::make_shared<OpenAtLogin>(), true);
        services->commandLineTool = std::make_shared<CommandLineTool>(
            std::make_shared<TakenLink>(), "/opt/Velto.app/Contents/Resources/velto",
            CommandLineTool::standardLink());
        PanelFixture::SetUp();
    }

    QImage grabPanel() {
        settle();
        layOut(panel->window());
        return panel->window()->grabWindow();
    }

    void fillMenu() {
        auto acme = enrollment("dev-1", "Acme Robotics");
        model->organizations().addAndConnect(acme, std::make_shared<FixedSigningKey>());
        model->organizations().addAndConnect(enrollment("dev-2", "<b>Bold</b> & Co"),
                                             std::make_shared<FixedSigningKey>());
        loop.drain();
        model->organizations().setConnectionState(ConnectionState::connected("dev-1"), "dev-1");
        model->organizations().setConnectionState(
            ConnectionState::retrying(2500, "Velto could not be reached."), "dev-2");
        services->detected = {
            HarnessStatus::installed(HarnessKind::claudeCode, "/bin/claude", "2.1.4 (Claude Code)",
                                     LoginState::signedIn),
            HarnessStatus::installed(HarnessKind::codex, "/bin/codex", std::nullopt, LoginState::signedOut),
            HarnessStatus::notInstalled(HarnessKind::muse)};
        loop.run(model->harnesses().refresh());
        loop.run(model->commandLine().installTool());
    }
};

TEST_F(ScreenshotTest, NotEnrolled) {
    makeStatusItem();
    openPanel();
    expectMatchesGolden(grabPanel(), "panel-not-enrolled");
}

TEST_F(ScreenshotTest, OrganizationsHarnessesAndCommands) {
    fillMenu();
    makeStatusItem();
    openPanel();
    expectMatchesGolden(grabPanel(), "panel-organizations");
}

TEST_F(ScreenshotTest, RemovalConfirmation) {
    fillMenu();
    makeStatusItem();
    openPanel();
    menu->organizationList().askToRemove("dev-1");
    expectMatchesGolden(grabPanel(), "panel-removal");
}

TEST_F(ScreenshotTest, SharpScreen) {
    fillMenu();
    makeStatusItem();
    host->place = QRect(1800, 0, 24, 24);
    openPanel();
    EXPECT_EQ(panel->window()->devicePixelRatio(), 2.0);
    const auto image = grabPanel();
    EXPECT_EQ(image.width(), 720);
    expectMatchesGolden(image, "panel-organizations-dpr2");
}

TEST_F(ScreenshotTest, ACappedPanelOnAShortScreen) {
    fillMenu();
    for (int index = 3; index <= 8; ++index)
        model->organizations().addAndConnect(
            enrollment("dev-" + std::to_string(index), "Organization " + std::to_string(index)),
            std::make_shared<FixedSigningKey>());
    loop.drain();
    screens = std::vector<PanelPlacement::Screen>{{QRect(0, 0, 1280, 400), QRect(0, 0, 1280, 400), true}};
    makeStatusItem();
    openPanel();
    expectMatchesGolden(grabPanel(), "panel-capped");
}

TEST_F(ScreenshotTest, TheActionsMenuAndAnOrganizationsTooltip) {
    fillMenu();
    makeStatusItem();
    openPanel();
    auto* window = panel->window();
    layOut(window);
    auto* row = item("organization-dev-1");
    ASSERT_TRUE(row);
    auto* tip = row->findChild<QObject*>("tooltip");
    ASSERT_TRUE(tip);
    tip->setProperty("delay", 0);
    QTest::mouseMove(window, row->mapToScene(QPointF(120, 12)).toPoint());
    settle();
    ASSERT_TRUE(tip->property("visible").toBool());
    expectMatchesGolden(grabPanel(), "panel-tooltip");

    QTest::mouseMove(window, QPoint(2, 2));
    settle();
    click(item("actions-dev-1"));
    ASSERT_TRUE(entry("openInVelto"));
    expectMatchesGolden(grabPanel(), "panel-actions-menu");
}

class PromptScreenshotTest : public PromptFixture {
protected:
    QImage grab() {
        settle();
        layOut(window->window());
        return window->window()->grabWindow();
    }
    /// As it stands now, the device side not run: the codes are still being spent.
    QImage grabNow() {
        // The first grab lays out; the window then takes the content's new size.
        window->window()->grabWindow();
        for (int turn = 0; turn < 5; ++turn)
            QCoreApplication::processEvents();
        return window->window()->grabWindow();
    }
};

TEST_F(PromptScreenshotTest, EveryStage) {
    model->enrollment().propose(std::string_view(
        "velto://enroll?server=http://localhost:3000&code=7KQ2-MX9D&code=AAAA-BBBB&code=CCCC-DDDD"));
    expectMatchesGolden(grab(), "prompt-confirming");

    Json body{{"deviceId", "dev-9"},
              {"organization", {{"id", "org-9"}, {"name", "Zeta"}}},
              {"user", {{"login", "ana"}}}};
    services->transport->route("POST", "/api/devices/enroll",
                               {RoutedTransport::reply(201, body.dump()),
                                RoutedTransport::reply(400, Json{{"code", "code_used"}}.dump())});
    model->spawn("confirm the enrollment", model->enrollment().confirm());
    for (int turn = 0; turn < 5; ++turn)
        QCoreApplication::processEvents();
    ASSERT_EQ(window->controller().stage(), "enrolling");
    // The sweep at a driven time, a third of the way across.
    animations.advanceBy(700);
    expectMatchesGolden(grabNow(), "prompt-enrolling");
    EXPECT_EQ(window->controller().stage(), "enrolling");
    loop.drain();
    expectMatchesGolden(grab(), "prompt-joined");

    window->close();
    model->enrollment().propose(std::string_view("velto://enroll?server=ftp://velto.example&code=7KQ2-MX9D"));
    expectMatchesGolden(grab(), "prompt-failed");
}

} // namespace
} // namespace velto::testing
