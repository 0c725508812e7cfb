#include "VeltoDesktop/Views/SystemTrayDetection.hpp"

#include <QDBusConnectionInterface>
#include <QThread>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "ChildProcess.hpp"
#include "PanelFixture.hpp"
#include "StandInWatcher.hpp"

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
        auto printed = daemon->readLine(std::chrono::seconds(10));
        ASSERT_TRUE(printed) << "the private bus did not start";
        address = *printed;
        application =
            QDBusConnection::connectToBus(QString::fromStdString(address), "velto-tray-application");
        watcher = QDBusConnection::connectToBus(QString::fromStdString(address), "velto-tray-watcher");
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
    std::string address;
    QDBusConnection application{QString()};
    QDBusConnection watcher{QString()};
};

/// The stand-in watcher served on the private bus from a thread of its own.
class ServedWatcher {
public:
    explicit ServedWatcher(QDBusConnection& bus) : bus_(bus) {
        stand->moveToThread(&thread_);
        QObject::connect(&thread_, &QThread::finished, stand, &QObject::deleteLater);
        thread_.start();
    }
    ~ServedWatcher() {
        unserve();
        thread_.quit();
        thread_.wait();
    }
    /// The object at the watcher's path (`withObject`), then the watcher's name.
    bool serve(bool withObject) {
        if (withObject &&
            !bus_.registerObject(SystemTrayDetection::watcherPath, stand,
                                 QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties))
            return false;
        return bus_.registerService(SystemTrayDetection::watcherName);
    }
    void unserve() {
        bus_.unregisterService(SystemTrayDetection::watcherName);
        bus_.unregisterObject(SystemTrayDetection::watcherPath);
    }

    StandInWatcher* stand = new StandInWatcher;

private:
    QDBusConnection& bus_;
    QThread thread_;
};

TEST_F(TrayHostTest, AWatcherCountsAsATrayOnlyWithAHostRegistered) {
    struct Case {
        const char* what;
        bool hasName;
        bool hasObject;
        bool hostRegistered;
        bool isTray;
    };
    const Case cases[] = {
        {"no watcher", false, false, false, false},
        {"a watcher without a host", true, true, false, false},
        {"a watcher with a host", true, true, true, true},
        {"the watcher's name with nothing at its path", true, false, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ServedWatcher served(watcher);
        served.stand->hostRegistered = c.hostRegistered;
        if (c.hasName) {
            ASSERT_TRUE(served.serve(c.hasObject));
        }
        SystemTrayDetection chosen(application);
        EXPECT_EQ(chosen.hasWatcher(), c.isTray);
        EXPECT_EQ(chosen.hasHost(), c.isTray) << "offscreen has no X11 tray to fall back on";
    }
}

TEST_F(TrayHostTest, AWatcherThatAppearsLaterTakesTheWindowIntoTheTray) {
    auto systemTray = std::make_shared<SystemTrayDetection>(application);
    EXPECT_FALSE(systemTray->hasWatcher());
    makeStatusItem(systemTray);
    settle();
    EXPECT_FALSE(statusItem->hasTray());
    EXPECT_EQ(panel->mode(), MenuPanel::Mode::window);
    EXPECT_TRUE(panel->isVisible());

    ServedWatcher served(watcher);
    served.stand->hostRegistered = false;
    ASSERT_TRUE(served.serve(true));
    statusItem->recheck();
    EXPECT_FALSE(statusItem->hasTray()) << "a watcher that nothing draws for is no tray yet";
    EXPECT_TRUE(panel->isVisible());

    served.stand->hostRegistered = true;
    // The name is followed as the bus announces it, and the host asked afresh: no first answer kept.
    for (int i = 0; i < 2000 && !systemTray->hasWatcher(); ++i)
        QTest::qWait(10);
    EXPECT_TRUE(systemTray->hasWatcher());
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

bool isOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (!folder.empty() && std::filesystem::exists(std::filesystem::path(folder) / program))
            return true;
    }
    return false;
}

// The offscreen platform has no tray: the icon is put up by a probe on an X server of its own, with
// the stand-in watcher on the private bus.
TEST_F(TrayHostTest, TheIconRegistersWithTheWatcherUnderXvfb) {
    if (!isOnPath("Xvfb"))
        GTEST_SKIP() << "no Xvfb here";
    ChildProcess server("Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1280x800x24"});
    auto display = server.readLine(std::chrono::seconds(20));
    ASSERT_TRUE(display) << "Xvfb did not start";

    StandInWatcher stand;
    ASSERT_TRUE(
        watcher.registerObject("/StatusNotifierWatcher", &stand,
                               QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
    ASSERT_TRUE(watcher.registerService(SystemTrayDetection::watcherName));

    ChildProcess probe("env",
                       {"DISPLAY=:" + *display, "DBUS_SESSION_BUS_ADDRESS=" + address, "QT_QPA_PLATFORM=xcb",
                        "XDG_CURRENT_DESKTOP=", "ASAN_OPTIONS=detect_leaks=0", VELTO_TRAY_PROBE});
    // The probe asks the watcher while it starts: answer it here until the item registers.
    QTRY_VERIFY_WITH_TIMEOUT(!stand.items().isEmpty(), 20000);
    EXPECT_EQ(probe.readLine(std::chrono::seconds(5)), "shown");
    auto reply = watcher.interface()->isServiceRegistered(stand.items().front());
    EXPECT_TRUE(reply.isValid() && reply.value()) << "the item is served by the probe";
    probe.terminate();
    watcher.unregisterObject("/StatusNotifierWatcher");
}

} // namespace
} // namespace velto::testing
