#include "VeltoDesktop/Views/SystemTrayDetection.hpp"

#include <QDBusConnectionInterface>

#include "ChildProcess.hpp"
#include "PanelFixture.hpp"

namespace velto::testing {
namespace {

/// The tray chosen by our own checks on a private session bus, where a stand-in watcher takes the
/// StatusNotifierWatcher's name only after the application has started.
class TrayHostTest : public PanelFixture {
protected:
    void SetUp() override {
        PanelFixture::SetUp();
        try {
            daemon = std::make_unique<ChildProcess>(
                "dbus-daemon", std::vector<std::string>{"--session", "--nofork", "--print-address=1"});
        } catch (const std::exception&) {
            GTEST_SKIP() << "no dbus-daemon here";
        }
        auto address = daemon->readLine(std::chrono::seconds(10));
        ASSERT_TRUE(address) << "the private bus did not start";
        application =
            QDBusConnection::connectToBus(QString::fromStdString(*address), "velto-tray-application");
        watcher = QDBusConnection::connectToBus(QString::fromStdString(*address), "velto-tray-watcher");
        ASSERT_TRUE(application.isConnected());
        ASSERT_TRUE(watcher.isConnected());
    }

    void TearDown() override {
        PanelFixture::TearDown();
        QDBusConnection::disconnectFromBus("velto-tray-application");
        QDBusConnection::disconnectFromBus("velto-tray-watcher");
        daemon.reset();
    }

    std::unique_ptr<ChildProcess> daemon;
    QDBusConnection application{QString()};
    QDBusConnection watcher{QString()};
};

TEST_F(TrayHostTest, AWatcherThatAppearsLaterTakesTheWindowIntoTheTray) {
    auto systemTray = std::make_shared<SystemTrayDetection>(application);
    EXPECT_FALSE(systemTray->hasWatcher());
    makeStatusItem(systemTray);
    EXPECT_FALSE(statusItem->hasTray());
    EXPECT_EQ(panel->mode(), MenuPanel::Mode::window);
    EXPECT_TRUE(panel->isVisible());

    ASSERT_TRUE(watcher.registerService(SystemTrayDetection::watcherName));
    EXPECT_TRUE(systemTray->hasWatcher()) << "asked afresh, not the first answer kept";
    statusItem->recheck();
    ASSERT_TRUE(statusItem->hasTray());
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(host->shows, 1);
}

TEST_F(TrayHostTest, NoBusOrAnotherNameIsNoTray) {
    ASSERT_TRUE(watcher.registerService("org.example.StatusNotifierWatcher"));
    EXPECT_FALSE(SystemTrayDetection(application).hasWatcher());
    EXPECT_FALSE(SystemTrayDetection(QDBusConnection(QString())).hasWatcher());
}

} // namespace
} // namespace velto::testing
