// The agent's two busy threads while it works: the agent is put together in this process as its
// executable does (the real services, model and views, on Qt's offscreen platform, a tray standing in
// for the desktop's), against the Node peer of Tests/EndToEnd with ten saved organizations. A watchdog
// posts to the GUI thread and to the device I/O thread every 2 ms and records how late each post ran,
// through the launch to every organization connected, the panel opened and closed, a sleep and wake with
// every organization connected again, the velto command's logins written and an update of 2,000 files
// staged and discarded. Prints the longest stall of each thread against its goal; then the agent's idle
// CPU time and memory after the panel was opened and closed once, and the memory the panel kept.
// Exits with 1 when a goal is missed.
//
//   StallMeasurement [--organizations N] [--seconds S]   (default 10 and 30, the idle hold)
//
// Runs inside scripts/with-keyring.sh (a session bus with a keyring); needs VELTO_SOURCE_DIR and the
// peer's packages (npm ci in Tests/EndToEnd).
#include "VeltoDesktop/AppDelegate.hpp"
#include "VeltoDesktop/DesktopWindows.hpp"
#include "VeltoDesktop/Model/MainThreadContext.hpp"
#include "VeltoDesktop/System/ProcessEnvironment.hpp"
#include "VeltoDesktop/System/SystemServices.hpp"
#include "VeltoDesktop/Views/StatusItemController.hpp"
#include "VeltoDesktop/Views/WindowsModule.hpp"
#include "VeltoDevice/Support/DeviceThread.hpp"
#include "VeltoDevice/Support/SystemClock.hpp"
#include "VeltoDevice/Update/BeastUpdateDownloader.hpp"
#include "VeltoDevice/Update/BundleManifestVerification.hpp"
#include "VeltoDevice/Update/UpdateStager.hpp"

#include <boost/asio/co_spawn.hpp>
#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/use_future.hpp>

#include <QApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <QPointer>
#include <QWindow>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <future>
#include <iomanip>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <thread>

#include "EndToEndPeer.hpp"
#include "Measurement.hpp"
#include "ProcessStatus.hpp"
#include "SavedOrganizations.hpp"
#include "ServedUpdate.hpp"
#include "TemporaryFolder.hpp"

namespace {

using namespace std::chrono_literals;
using namespace velto;
using Clock = std::chrono::steady_clock;

constexpr double guiGoalMs = 16.0;
constexpr double deviceGoalMs = 2.0;
constexpr double residentGoalMiB = 40.0;
constexpr double cpuGoalMsPerOrganizationMinute = 1.0;
constexpr int stagedFiles = 2000;

double milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

/// The CPU time of this whole process so far, in milliseconds.
double processCPUMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

/// Posts to each watched executor every 2 ms from a thread of its own and keeps, per executor, the
/// longest time a post waited before it ran.
class StallWatchdog {
public:
    explicit StallWatchdog(std::vector<boost::asio::any_io_executor> watched)
        : watched_(std::move(watched)), worst_(watched_.size()) {
        thread_ = std::thread([this] {
            auto next = Clock::now();
            while (!stopped_) {
                for (std::size_t index = 0; index < watched_.size(); ++index) {
                    const auto posted = Clock::now();
                    boost::asio::post(watched_[index], [this, index, posted] {
                        const auto late = Clock::now() - posted;
                        std::lock_guard lock(mutex_);
                        worst_[index] = std::max(worst_[index], late);
                    });
                }
                next += 2ms;
                std::this_thread::sleep_until(next);
            }
        });
    }
    ~StallWatchdog() { stop(); }

    /// Stops posting and waits until every post ran, since each refers to the watchdog.
    void stop() {
        stopped_ = true;
        if (!thread_.joinable())
            return;
        thread_.join();
        for (auto& executor : watched_) {
            std::promise<void> ran;
            boost::asio::post(executor, [&ran] { ran.set_value(); });
            ran.get_future().wait();
        }
    }
    /// The longest waits since the last call, one per executor, and starts again.
    std::vector<double> takeWorst() {
        std::lock_guard lock(mutex_);
        std::vector<double> worst;
        for (auto& late : worst_) {
            worst.push_back(milliseconds(late));
            late = {};
        }
        return worst;
    }

private:
    std::vector<boost::asio::any_io_executor> watched_;
    std::mutex mutex_;
    std::vector<Clock::duration> worst_;
    std::atomic<bool> stopped_ = false;
    std::thread thread_;
};

/// A thread that runs an io_context with nothing to do but what is posted to it.
class IdleThread {
public:
    IdleThread() : thread_([this] { context_.run(); }) {}
    ~IdleThread() {
        work_.reset();
        thread_.join();
    }
    boost::asio::any_io_executor executor() { return context_.get_executor(); }

private:
    boost::asio::io_context context_;
    boost::asio::executor_work_guard<boost::asio::io_context::executor_type> work_{context_.get_executor()};
    std::thread thread_;
};

/// A tray that is always there; its icon is Qt's, which the offscreen platform does not draw.
class StandingTray final : public StatusItemHostDetecting {
public:
    bool hasHost() override { return true; }
};

/// Runs `step` on the GUI thread and waits for it.
void onGUI(const std::function<void()>& step) {
    std::promise<void> done;
    QMetaObject::invokeMethod(
        qApp,
        [&] {
            step();
            done.set_value();
        },
        Qt::QueuedConnection);
    done.get_future().wait();
}

void waitFor(const std::function<bool()>& condition, const char* what) {
    const auto deadline = Clock::now() + 60s;
    while (!condition()) {
        if (Clock::now() > deadline)
            throw std::runtime_error(std::string("timed out waiting for ") + what);
        std::this_thread::sleep_for(5ms);
    }
}

boost::asio::awaitable<void> stageAndDiscard(std::shared_ptr<UpdateStager> stager, VerifiedUpdate update) {
    auto staged = co_await stager->stage(std::move(update));
    stager->discard(staged);
}

struct Phase {
    std::string name;
    double guiWorstMs = 0;
    double deviceWorstMs = 0;
    double idleWorstMs = 0;
};

struct Figures {
    std::vector<Phase> phases;
    double guiWorstMs = 0;
    double deviceWorstMs = 0;
    double residentBeforePanelMiB = 0;
    double residentAfterPanelMiB = 0;
    double idleCPUMs = 0;
    bool stayed = false;
};

/// The script of the run, on a thread of its own while the GUI thread runs Qt's loop.
Figures script(const testing::EndToEndPeer& peer, boost::asio::any_io_executor gui, DeviceThread& thread,
               SystemServices& services, AppDelegate& delegate, DesktopWindows& surfaces,
               const std::filesystem::path& work, int organizations, int seconds) {
    Figures figures;
    auto served = benchmarks::ServedUpdate::serve(peer, work, stagedFiles);
    // A thread that does nothing else, watched alike: how late the machine itself runs a post.
    IdleThread idle;
    StallWatchdog watchdog({std::move(gui), thread.executor(), idle.executor()});

    onGUI([&] {
        delegate.open({});
        delegate.willFinishLaunching();
        QMetaObject::invokeMethod(
            &delegate, [&delegate] { delegate.didFinishLaunching(); }, Qt::QueuedConnection);
    });
    const auto phase = [&](std::string name) {
        auto worst = watchdog.takeWorst();
        figures.phases.push_back({std::move(name), worst[0], worst[1], worst[2]});
    };
    waitFor([&] { return benchmarks::welcomedSessions(peer) == organizations; }, "every organization");
    std::this_thread::sleep_for(2s);
    phase("the launch to every organization connected");
    figures.residentBeforePanelMiB = benchmarks::statusMiB("VmRSS", "self");

    // The panel opened at the tray and closed again.
    onGUI([&] { surfaces.bringForward(); });
    std::this_thread::sleep_for(1s);
    bool panelShown = false;
    onGUI([&] {
        for (const auto* window : QGuiApplication::topLevelWindows())
            panelShown = panelShown || window->isVisible();
    });
    if (!panelShown)
        throw std::runtime_error("the panel did not open (is the windows module in the bundle?)");
    onGUI([&] { surfaces.closeMenu(); });
    std::this_thread::sleep_for(500ms);
    phase("the panel opened and closed");

    // A sleep and a wake: every session closes and connects again.
    auto woke = std::make_shared<std::atomic<bool>>(false);
    onGUI([&] {
        delegate.model().spawn(
            "sleep and wake",
            [](AppModel& model, std::shared_ptr<std::atomic<bool>> done) -> boost::asio::awaitable<void> {
                co_await model.sleep();
                co_await model.wake();
                *done = true;
            }(delegate.model(), woke));
    });
    waitFor([&] { return woke->load(); }, "the wake");
    phase("a sleep and a wake");
    // The velto command's logins, fetched and written for every organization.
    auto loggedIn = std::make_shared<std::atomic<bool>>(false);
    onGUI([&] {
        delegate.model().spawn(
            "refresh the command's logins",
            [](AppModel& model, std::shared_ptr<std::atomic<bool>> done) -> boost::asio::awaitable<void> {
                co_await model.commandLine().refreshLogins();
                *done = true;
            }(delegate.model(), loggedIn));
    });
    // An update staged beside them and discarded, on the agent's own pool and I/O thread.
    auto check = std::make_shared<BundleManifestVerification>(served.signer, thread.blockingPool(),
                                                              SystemClock::shared());
    auto stager =
        std::make_shared<UpdateStager>(work / "Updates", "app.velto.desktop",
                                       std::make_shared<BeastUpdateDownloader>(BeastUpdateDownloader::Options{
                                           .trust = services.trust(), .writer = services.blockingExecutor()}),
                                       check, thread.blockingPool(), SystemClock::shared());
    boost::asio::co_spawn(thread.executor(), stageAndDiscard(stager, served.update), boost::asio::use_future)
        .get();
    waitFor([&] { return loggedIn->load(); }, "the logins");
    waitFor([&] { return benchmarks::welcomedSessions(peer) == organizations; }, "every organization again");
    std::promise<void> discarded;
    boost::asio::post(stager->folders(), [&] { discarded.set_value(); });
    discarded.get_future().wait();
    std::this_thread::sleep_for(500ms);
    watchdog.stop();
    phase("the logins written, an update staged and discarded, every organization connected again");
    for (const auto& each : figures.phases) {
        figures.guiWorstMs = std::max(figures.guiWorstMs, each.guiWorstMs);
        figures.deviceWorstMs = std::max(figures.deviceWorstMs, each.deviceWorstMs);
    }

    // The agent held idle after the panel's one opening, the watchdog gone.
    std::this_thread::sleep_for(3s);
    const double before = processCPUMilliseconds();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    figures.idleCPUMs = processCPUMilliseconds() - before;
    figures.residentAfterPanelMiB = benchmarks::statusMiB("VmRSS", "self");
    figures.stayed = benchmarks::welcomedSessions(peer) == organizations;
    return figures;
}

} // namespace

int main(int argc, char** argv) {
    int organizations = 10;
    int seconds = 30;
    if (!benchmarks::readPositiveOptions(argc, argv,
                                         {{"--organizations", &organizations}, {"--seconds", &seconds}},
                                         "StallMeasurement [--organizations N] [--seconds S]"))
        return 2;
    if (!std::getenv("DBUS_SESSION_BUS_ADDRESS")) {
        std::cerr << "StallMeasurement: run it inside scripts/with-keyring.sh\n";
        return 2;
    }
    benchmarks::discardLog();
    try {
        testing::EndToEndPeer peer;
        testing::TemporaryFolder home;
        const auto runtime = home.path() / "runtime";
        std::filesystem::create_directories(runtime);
        ::chmod(runtime.c_str(), 0700);
        // The agent's folders, its trust and its platform, before anything reads them.
        setenv("HOME", home.path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home.path() / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (home.path() / "data").c_str(), 1);
        setenv("XDG_CACHE_HOME", (home.path() / "cache").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        setenv("SSL_CERT_FILE", peer.caFile().c_str(), 1);
        setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + (home.path() / "no-bus").string()).c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        benchmarks::enrollOrganizations(peer, organizations);
        benchmarks::finishSetup(home.path());

        QApplication application(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        Figures figures;
        {
            DeviceThread thread;
            MainThreadContext context;
            auto services = std::make_shared<SystemServices>(thread, ProcessEnvironment::current());
            AppDelegate delegate(context.executor(), services, [] {});
            auto options = DesktopWindows::system(context.executor(), services, [] {});
            options.trayDetection = std::make_shared<StandingTray>();
            options.windows =
                std::make_shared<WindowsModule>(VELTO_BUNDLE "/Contents/lib/libVeltoWindows.so");
            auto surfaces = std::make_shared<DesktopWindows>(std::move(options));
            delegate.setSurfaces(surfaces);
            delegate.setShowSetup([] {});

            std::exception_ptr failure;
            std::thread running([&] {
                try {
                    figures = script(peer, context.executor(), thread, *services, delegate, *surfaces,
                                     home.path() / "work", organizations, seconds);
                } catch (...) {
                    failure = std::current_exception();
                }
                QMetaObject::invokeMethod(
                    qApp, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
            });
            QCoreApplication::exec();
            running.join();
            thread.stop();
            if (failure)
                std::rethrow_exception(failure);
        }

        std::cout << std::fixed << std::setprecision(2);
        std::cout << "stalls: " << organizations << " organizations through launch, panel, wake, logins and "
                  << "an update's staging; then idle for " << seconds << " s\n";
        for (const auto& phase : figures.phases)
            std::cout << "longest stalls during " << phase.name << ": GUI " << phase.guiWorstMs << " ms, I/O "
                      << phase.deviceWorstMs << " ms, an idle thread " << phase.idleWorstMs << " ms\n";
        bool met =
            benchmarks::report("longest stall of the GUI thread", figures.guiWorstMs, "ms", guiGoalMs, false);
        met = benchmarks::report("longest stall of the device I/O thread", figures.deviceWorstMs, "ms",
                                 deviceGoalMs, false) &&
              met;
        const double perOrganizationMinute = figures.idleCPUMs / organizations / (seconds / 60.0);
        met = benchmarks::report("agent idle CPU per organization per minute after the panel",
                                 perOrganizationMinute, "ms", cpuGoalMsPerOrganizationMinute, false) &&
              met;
        met = benchmarks::report("agent resident memory after the panel", figures.residentAfterPanelMiB,
                                 "MiB", residentGoalMiB, false) &&
              met;
        std::cout << "memory the panel kept: "
                  << figures.residentAfterPanelMiB - figures.residentBeforePanelMiB << " MiB (from "
                  << figures.residentBeforePanelMiB << " MiB in the tray only)\n";
        if (!figures.stayed) {
            std::cout << "a session dropped during the hold\n";
            met = false;
        }
        return met ? 0 : 1;
    } catch (const std::exception& error) {
        std::cerr << "StallMeasurement: " << error.what() << "\n";
        return 1;
    }
}
