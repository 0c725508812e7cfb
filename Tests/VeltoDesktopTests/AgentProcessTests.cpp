// The executable itself, in a scratch home with a private session bus and keyring and a private bus
// with fake logind and hostnamed in place of the system bus.
#include "VeltoDesktop/System/Hostname1Naming.hpp"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <unistd.h>

#include "AgentProcess.hpp"

namespace velto {
namespace {

using testing::AgentProcess;
using namespace std::chrono_literals;

class AgentProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (auto reason = AgentProcess::unavailableReason())
            GTEST_SKIP() << *reason;
    }
};

TEST_F(AgentProcessTest, StartsWithTheSetupWindowForwardsLinksAndQuitsOnSigterm) {
    AgentProcess agent;
    auto first = agent.start({"--", "not a link"});
    ASSERT_TRUE(AgentProcess::waitForLine(*first, "app info: ignored an argument that is not a link"));
    ASSERT_TRUE(AgentProcess::waitForLine(*first, "app info: not enrolled"));
    // The tests' offscreen platform has no tray: the menu opens as a window.
    ASSERT_TRUE(AgentProcess::waitForLine(*first, "app info: no tray: the menu opens as a window"));
    ASSERT_TRUE(AgentProcess::waitForLine(*first, "app info: the setup window opens"))
        << "setup is not finished: its window opens at launch";
    ASSERT_TRUE(agent.waitForSystemLine("inhibited")) << "a sleep delay is taken at start";

    auto second = agent.start({"--", "velto://enroll?server=https://velto.example&code=AAAA-1111"});
    EXPECT_EQ(second->wait(), 0) << "a later start hands its link over and exits";
    EXPECT_TRUE(
        AgentProcess::waitForLine(*first, "app info: the enrollment prompt opens in the setup window"));

    agent.sendSystem("sleep");
    EXPECT_TRUE(agent.waitForSystemLine("released")) << "the sleep steps end and let the machine sleep";
    agent.sendSystem("wake");
    EXPECT_TRUE(agent.waitForSystemLine("inhibited")) << "a new delay is taken after the wake";

    const auto asked = std::chrono::steady_clock::now();
    kill(first->pid(), SIGTERM);
    EXPECT_EQ(first->wait(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 5s);
}

TEST_F(AgentProcessTest, WithoutItsWindowsModuleTheAgentRunsWindowlessAndSaysWhyOnce) {
    AgentProcess agent;
    // A bundle whose Contents/lib is missing: the executable finds its module beside itself.
    const auto bundle = agent.home() / "Velto.app";
    const auto executable = bundle / "Contents/bin/Velto";
    std::filesystem::create_directories(executable.parent_path());
    std::filesystem::copy_file(AgentProcess::builtExecutable(), executable);
    std::filesystem::create_directory_symlink(AgentProcess::builtExecutable().parent_path().parent_path() /
                                                  "Resources",
                                              bundle / "Contents/Resources");

    auto process = agent.start({}, executable);
    const std::string failure =
        "app error: the windows cannot be shown: " + (bundle / "Contents/lib/libVeltoWindows.so").string() +
        ": cannot open shared object file: No such file or directory";
    ASSERT_TRUE(AgentProcess::waitForLine(*process, "app info: not enrolled"));
    ASSERT_TRUE(AgentProcess::waitForLine(*process, failure));
    ASSERT_TRUE(agent.waitForSystemLine("inhibited")) << "the agent's work goes on";

    kill(process->pid(), SIGTERM);
    int failures = 0;
    while (auto line = process->readLine(std::chrono::seconds(20))) {
        failures += *line == failure ? 1 : 0;
        EXPECT_NE(*line, "app info: the setup window opens");
    }
    EXPECT_EQ(failures, 0) << "the module is looked for once";
    EXPECT_EQ(process->wait(), 0);
}

TEST_F(AgentProcessTest, WithoutASystemBusSleepAndWakeAreNotObserved) {
    AgentProcess agent(false);
    auto process = agent.start({});
    EXPECT_TRUE(
        AgentProcess::waitForLine(*process, "app notice: no system bus: sleep and wake are not observed"));
    kill(process->pid(), SIGINT);
    EXPECT_EQ(process->wait(), 0);
}

TEST_F(AgentProcessTest, TheMachineIsNamedByHostnamedElseByItsHostName) {
    const QString name = QStringLiteral("naming-test");
    {
        AgentProcess agent;
        auto bus = QDBusConnection::connectToBus(
            QString::fromStdString(agent.environment().at("DBUS_SYSTEM_BUS_ADDRESS")), name);
        ASSERT_TRUE(bus.isConnected());
        EXPECT_EQ(Hostname1Naming(bus).machineName(), "Test Mac");
    }
    QDBusConnection::disconnectFromBus(name);

    char host[256] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    AgentProcess without(false);
    auto bus = QDBusConnection::connectToBus(
        QString::fromStdString(without.environment().at("DBUS_SYSTEM_BUS_ADDRESS")), name);
    EXPECT_EQ(Hostname1Naming(bus).machineName(), host[0] != '\0' ? std::string(host) : "Linux computer");
    QDBusConnection::disconnectFromBus(name);
}

} // namespace
} // namespace velto
