// The Velto agent: enrolls this machine into organizations and lends its coding agents to their jobs.
// Its arguments are enrollment links, as the link handler's desktop entry passes them ("--" first).
#include "VeltoDesktop/AppDelegate.hpp"
#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/DesktopRoot.hpp"
#include "VeltoDesktop/Model/MainThreadContext.hpp"
#include "VeltoDesktop/System/DisplayPlatform.hpp"
#include "VeltoDesktop/System/ProcessEnvironment.hpp"
#include "VeltoDesktop/System/ShutdownWatchdog.hpp"
#include "VeltoDesktop/System/SingleInstance.hpp"
#include "VeltoDesktop/System/StandardErrorLogSink.hpp"
#include "VeltoDesktop/System/SystemServices.hpp"
#include "VeltoDesktop/System/TerminationSignals.hpp"
#include "VeltoDevice/Support/DeviceThread.hpp"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace velto;
    // Before any thread exists, so that every thread inherits the mask and only the descriptor sees them.
    TerminationSignals::blockInThisThread();
    // Qt aborts when its platform finds no display; the agent's work goes on without one.
    const auto display = DisplayPlatform::applyToThisProcess(ProcessEnvironment::current());
    // Widgets for the tray icon; the last window closing is not the application's end.
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    setLogSink(StandardErrorLogSink::forThisSystem());
    // A platform asked for (offscreen in tests and measurements) is no missing display.
    if (display == DisplayPlatform::Choice::none)
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
    DesktopRoot root(context.executor(), services, watchdog);
    AppDelegate delegate(context.executor(), services, [&root] { root.quit(); });
    root.attach(delegate, instance);
    const int status = root.run(arguments);

    // Nothing is destroyed while the library still runs.
    watchdog.arm();
    thread.stop();
    return status;
}
