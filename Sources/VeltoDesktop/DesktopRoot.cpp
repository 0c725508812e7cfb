#include "VeltoDesktop/DesktopRoot.hpp"

#include "VeltoDesktop/AppDelegate.hpp"
#include "VeltoDesktop/DesktopWindows.hpp"
#include "VeltoDesktop/System/ShutdownWatchdog.hpp"
#include "VeltoDesktop/System/SingleInstance.hpp"
#include "VeltoDesktop/System/TerminationSignals.hpp"

#include <QCoreApplication>
#include <QTimer>

namespace velto {

DesktopRoot::DesktopRoot(boost::asio::any_io_executor main, std::shared_ptr<AppServiceFactory> services,
                         ShutdownWatchdog& watchdog)
    : main_(std::move(main)), services_(std::move(services)), watchdog_(watchdog) {}

DesktopRoot::~DesktopRoot() = default;

void DesktopRoot::attach(AppDelegate& delegate, SingleInstance& instance) {
    delegate_ = &delegate;
    auto windows =
        std::make_shared<DesktopWindows>(DesktopWindows::system(main_, services_, [this] { quit(); }));
    delegate.setSurfaces(windows);
    std::weak_ptr<DesktopWindows> weakWindows = windows;
    delegate.setShowSetup([weakWindows] {
        if (auto shown = weakWindows.lock())
            shown->showSetup();
    });

    QObject::connect(&instance, &SingleInstance::linksReceived, &delegate,
                     [&delegate](std::vector<std::string> links) { delegate.forwarded(links); });
    signals_ = std::make_unique<TerminationSignals>();
    QObject::connect(signals_.get(), &TerminationSignals::requested, &delegate, [this] { quit(); });
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &delegate,
                     [&delegate] { delegate.willTerminate(); });
}

int DesktopRoot::run(const std::vector<std::string>& arguments) {
    if (delegate_) {
        delegate_->open(arguments);
        delegate_->willFinishLaunching();
        QTimer::singleShot(0, delegate_, [delegate = delegate_] {
            if (delegate)
                delegate->didFinishLaunching();
        });
    }
    return QCoreApplication::exec();
}

void DesktopRoot::quit() {
    if (watchdog_.isArmed())
        return;
    watchdog_.arm();
    // Running jobs get ShutdownWatchdog::jobGrace to end, the sockets closeGrace to say goodbye.
    QTimer::singleShot(ShutdownWatchdog::loopLimit, QCoreApplication::instance(),
                       [] { QCoreApplication::quit(); });
    if (!delegate_) {
        QCoreApplication::quit();
        return;
    }
    delegate_->model().spawn("quit", [](AppModel& model) -> boost::asio::awaitable<void> {
        co_await model.quit(ShutdownWatchdog::jobGrace, ShutdownWatchdog::closeGrace);
        QCoreApplication::quit();
    }(delegate_->model()));
}

} // namespace velto
