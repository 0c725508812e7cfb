// The whole agent against the Node peer of Tests/EndToEnd on loopback: ten organizations enrolled
// through the library into a scratch home, then the built executable started there. Prints the cold
// start (from the start of the process to every organization welcomed, keyring reads included), then
// the agent's CPU time over an idle hold and its resident memory, each against its goal; then the same
// agent's idle CPU and memory with no organization at all. Exits with 1
// when a goal is missed or an organization does not connect. The agent runs as a user runs it, views
// included, on Qt's offscreen platform, setup finished and a tray's watcher on the bus, so that it shows
// only its status item; its standard error goes to a file that is printed on failure.
//
//   AgentMeasurement [--organizations N] [--seconds S]   (default 10 and 60)
//
// Runs inside scripts/with-keyring.sh (a session bus with a keyring); needs VELTO_SOURCE_DIR and the
// peer's packages (npm ci in Tests/EndToEnd).

#include <QCoreApplication>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

#include "ChildProcess.hpp"
#include "EndToEndPeer.hpp"
#include "Measurement.hpp"
#include "ProcessStatus.hpp"
#include "SavedOrganizations.hpp"
#include "StandInTrayWatcher.hpp"
#include "TemporaryFolder.hpp"

namespace {

using namespace std::chrono_literals;
using namespace velto;

constexpr double coldStartGoalMs = 1000.0;
constexpr double residentGoalMiB = 40.0;
constexpr double cpuGoalMsPerOrganizationMinute = 1.0;
constexpr double cpuGoalMsPerMinuteAlone = 5.0;

/// The process's CPU time so far, every thread included.
double cpuMilliseconds(pid_t pid) {
    clockid_t clock;
    timespec now{};
    if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &now) != 0)
        return 0;
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

/// Whether the child has exited, without reaping it (its owner does that).
bool hasEnded(pid_t pid) {
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == pid;
}

/// The agent's own account of a failed run: its standard error, as it wrote it.
void printAgentOutput(const std::filesystem::path& file) {
    std::ifstream input(file);
    std::cerr << "AgentMeasurement: the agent's standard error (" << file.string() << "):\n"
              << input.rdbuf() << "\n";
}

/// `env`'s arguments that start the agent in `home` alone, its output into `output`.
std::vector<std::string> agentCommand(const std::filesystem::path& home,
                                      const std::filesystem::path& authority,
                                      const std::filesystem::path& output) {
    const auto runtime = home / "runtime";
    std::filesystem::create_directories(runtime);
    chmod(runtime.c_str(), 0700);
    return {"-i",
            "HOME=" + home.string(),
            "XDG_CONFIG_HOME=" + (home / "config").string(),
            "XDG_DATA_HOME=" + (home / "data").string(),
            "XDG_CACHE_HOME=" + (home / "cache").string(),
            "XDG_RUNTIME_DIR=" + runtime.string(),
            "PATH=/usr/bin:/bin",
            "SHELL=/bin/sh",
            "SSL_CERT_FILE=" + authority.string(),
            "DBUS_SESSION_BUS_ADDRESS=" + std::string(std::getenv("DBUS_SESSION_BUS_ADDRESS")),
            "DBUS_SYSTEM_BUS_ADDRESS=unix:path=" + (home / "no-bus").string(),
            "QT_QPA_PLATFORM=offscreen",
            "/bin/sh",
            "-c",
            "exec \"$0\" >\"$1\" 2>&1",
            std::string(VELTO_BUNDLE) + "/Contents/bin/Velto",
            output.string()};
}

/// The agent's CPU time over `seconds`, once launching is over.
double idleCPUMilliseconds(pid_t pid, int seconds) {
    // Let the launch's harness detection and picture fetches end before the idle hold.
    std::this_thread::sleep_for(3s);
    const double before = cpuMilliseconds(pid);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    return cpuMilliseconds(pid) - before;
}

} // namespace

int main(int argc, char** argv) {
    int organizations = 10;
    int seconds = 60;
    if (!benchmarks::readPositiveOptions(argc, argv,
                                         {{"--organizations", &organizations}, {"--seconds", &seconds}},
                                         "AgentMeasurement [--organizations N] [--seconds S]"))
        return 2;
    if (!std::getenv("DBUS_SESSION_BUS_ADDRESS")) {
        std::cerr << "AgentMeasurement: run it inside scripts/with-keyring.sh\n";
        return 2;
    }
    benchmarks::discardLog();
    QCoreApplication application(argc, argv);
    // A tray on the session bus, so that the agent keeps to its status item as on a desktop with one
    // (a watcher with a host registered: without one, the panel's content would open as a window).
    benchmarks::StandInTrayWatcher tray;
    if (!tray.start()) {
        std::cerr << "AgentMeasurement: could not stand in for the tray's watcher\n";
        return 2;
    }
    testing::TemporaryFolder logs;
    const auto agentOutput = logs.path() / "agent-stderr.log";
    try {
        testing::EndToEndPeer peer;
        testing::TemporaryFolder home;
        setenv("XDG_DATA_HOME", (home.path() / "data").c_str(), 1);

        benchmarks::enrollOrganizations(peer, organizations);

        benchmarks::finishSetup(home.path());
        const auto started = std::chrono::steady_clock::now();
        testing::ChildProcess agent("env", agentCommand(home.path(), peer.caFile(), agentOutput));
        while (benchmarks::welcomedSessions(peer) < organizations) {
            if (hasEnded(agent.pid()))
                throw std::runtime_error("the agent ended before every organization connected");
            if (std::chrono::steady_clock::now() - started > 30s)
                throw std::runtime_error("not every organization connected within 30 s");
            std::this_thread::sleep_for(2ms);
        }
        const double coldMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();

        const double cpuMs = idleCPUMilliseconds(agent.pid(), seconds);
        const double memory = benchmarks::statusMiB("VmRSS", std::to_string(agent.pid()));
        const bool stayed = benchmarks::welcomedSessions(peer) == organizations;
        agent.terminate();

        // The same agent with no organization at all.
        testing::TemporaryFolder emptyHome;
        benchmarks::finishSetup(emptyHome.path());
        testing::ChildProcess lone("env", agentCommand(emptyHome.path(), peer.caFile(), agentOutput));
        const double loneCpuMs = idleCPUMilliseconds(lone.pid(), seconds);
        const double loneMemory = benchmarks::statusMiB("VmRSS", std::to_string(lone.pid()));
        const bool loneRan = !hasEnded(lone.pid());
        lone.terminate();

        std::cout << std::fixed << std::setprecision(2);
        std::cout << "agent: " << organizations << " organizations, idle for " << seconds << " s\n";
        bool met = benchmarks::report("cold start to every organization connected", coldMs, "ms",
                                      coldStartGoalMs, false);
        const double perOrganizationMinute = cpuMs / organizations / (seconds / 60.0);
        met = benchmarks::report("agent idle CPU per organization per minute", perOrganizationMinute, "ms",
                                 cpuGoalMsPerOrganizationMinute, false) &&
              met;
        met = benchmarks::report("agent resident memory", memory, "MiB", residentGoalMiB, false) && met;
        met = benchmarks::report("agent idle CPU per minute with no organization",
                                 loneCpuMs / (seconds / 60.0), "ms", cpuGoalMsPerMinuteAlone, false) &&
              met;
        std::cout << "agent resident memory with no organization: " << loneMemory << " MiB\n";
        if (!loneRan) {
            std::cout << "the agent with no organization ended during the hold\n";
            met = false;
        }
        if (!stayed) {
            std::cout << "a session dropped during the hold\n";
            met = false;
        }
        if (!met)
            printAgentOutput(agentOutput);
        return met ? 0 : 1;
    } catch (const std::exception& error) {
        std::cerr << "AgentMeasurement: " << error.what() << "\n";
        printAgentOutput(agentOutput);
        return 1;
    }
}
