// The Velto agent: enrolls this machine into organizations and lends its coding agents to their jobs.
// Its arguments are enrollment links, as the link handler's desktop entry passes them ("--" first).
#include "VeltoDesktop/AppDelegate.hpp"
#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/DisplayPlatform.hpp"
#include "VeltoDesktop/MainThreadContext.hpp"
#include "VeltoDesktop/ProcessEnvironment.hpp"
#include "VeltoDesktop/Setup/AppSetupModel.hpp"
#include "VeltoDesktop/Setup/MotionPreference.hpp"
#include "VeltoDesktop/Setup/SetupWindow.hpp"
#include "VeltoDesktop/ShutdownWatchdog.hpp"
#include "VeltoDesktop/SingleInstance.hpp"
#include "VeltoDesktop/StandardErrorLogSink.hpp"
#include "VeltoDesktop/SystemServices.hpp"
#include "VeltoDesktop/TerminationSignals.hpp"
#include "VeltoDesktop/Views/DesktopSurfaces.hpp"
#include "VeltoDevice/LoginItem/SystemLoginItemService.hpp"
#include "VeltoDevice/Support/DeviceThread.hpp"

#include <QApplication>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace velto;
    // Before any thread exists, so that every thread inherits the mask and only the descriptor sees them.
    TerminationSignals::blockInThisThread();
    // Qt aborts when its platform finds no display; the agent's work goes on without one.
    DisplayPlatform::applyToThisProcess(ProcessEnvironment::current());
    // Widgets for the tray icon; the last window closing is not the application's end.
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    setLogSink(StandardErrorLogSink::forThisSystem());
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        appLog().info("no display: no windows or tray will be shown");

    std::vector<std::string> arguments;
    for (int index = 1; index < argc; ++index) {
        std::string argument(argv[index]);
        if (argument != "--")
            arguments.push_back(std::move(argument));
    }

    auto folder = SingleInstance::standardFolder();
    if (!folder) {
        appLog().error("no private runtime folder: cannot tell whether Velto runs already");
        return 1;
    }
    SingleInstance instance(*folder);
    switch (instance.claim(arguments)) {
    case SingleInstance::Claim::forwarded:
        return 0;
    case SingleInstance::Claim::failed:
        return 1;
    case SingleInstance::Claim::primary:
        break;
    }

    // First made, last gone: it also covers the destruction of everything below.
    ShutdownWatchdog watchdog;
    DeviceThread thread;
    MainThreadContext context;
    auto services = std::make_shared<SystemServices>(thread, ProcessEnvironment::current());
    services->registerLinkHandler();
    QPointer<AppDelegate> delegatePointer;
    auto terminate = [&watchdog, &delegatePointer] {
        if (watchdog.isArmed())
            return;
        watchdog.arm();
        // Running jobs get ShutdownWatchdog::jobGrace to end, the sockets closeGrace to say goodbye.
        QTimer::singleShot(ShutdownWatchdog::loopLimit, QCoreApplication::instance(),
                           [] { QCoreApplication::quit(); });
        if (!delegatePointer) {
            QCoreApplication::quit();
            return;
        }
        delegatePointer->model().spawn("quit", [](AppModel& model) -> boost::asio::awaitable<void> {
            co_await model.quit(ShutdownWatchdog::jobGrace, ShutdownWatchdog::closeGrace);
            QCoreApplication::quit();
        }(delegatePointer->model()));
    };
    AppDelegate delegate(context.executor(), services, terminate);
    delegatePointer = &delegate;
    auto surfaces = std::make_shared<DesktopSurfaces>(
        DesktopSurfaces::systemOptions(context.executor(), services, [&terminate] { terminate(); }));
    delegate.setSurfaces(surfaces);

    // The setup window, in the other windows' engine (made when a window first shows) and picture cache.
    const auto environment = ProcessEnvironment::current();
    MotionPreference motion(environment, QDBusConnection::sessionBus());
    surfaces->setReduceMotion(motion.reduceMotion());
    QObject::connect(&motion, &MotionPreference::reduceMotionChanged, &delegate,
                     [&motion, surfaces] { surfaces->setReduceMotion(motion.reduceMotion()); });
    AppSetupModel setupModel(delegate.model(), [services, environment] {
        SystemLoginItemService::openSystemSettings(services->deviceExecutor(), environment);
    });
    std::function<QQmlEngine&()> makeEngine = [views = surfaces->views()]() -> QQmlEngine& {
        return views->engine();
    };
    SetupWindow::Engine sharedEngine(std::move(makeEngine));
    SetupWindow setupWindow(setupModel, {sharedEngine, surfaces->remote(), surfaces->urls(), &motion,
                                         &IllustrationClock::systemNow, context.executor()});
    delegate.setShowSetup([&setupWindow] { setupWindow.show(); });

    QObject::connect(&instance, &SingleInstance::linksReceived, &delegate,
                     [&delegate](std::vector<std::string> links) { delegate.forwarded(links); });
    TerminationSignals signals;
    QObject::connect(&signals, &TerminationSignals::requested, &delegate, terminate);
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &delegate,
                     [&delegate] { delegate.willTerminate(); });

    delegate.open(arguments);
    delegate.willFinishLaunching();
    QTimer::singleShot(0, &delegate, [&delegate] { delegate.didFinishLaunching(); });
    const int status = QCoreApplication::exec();

    // Nothing is destroyed while the library still runs.
    watchdog.arm();
    thread.stop();
    return status;
}
