#pragma once

#include "VeltoDesktop/Model/AppServiceFactory.hpp"

#include <boost/asio/any_io_executor.hpp>

#include <QPointer>
#include <memory>
#include <string>
#include <vector>

namespace velto {

class AppDelegate;
class ShutdownWatchdog;
class SingleInstance;
class TerminationSignals;

/// The application's composition root: every window (panel, prompt, setup) over the delegate's model,
/// and what the system asks of the application (a later start's links, termination signals, the
/// quit) routed to the delegate. Main thread only.
class DesktopRoot {
public:
    DesktopRoot(boost::asio::any_io_executor main, std::shared_ptr<AppServiceFactory> services,
                ShutdownWatchdog& watchdog);
    ~DesktopRoot();

    DesktopRoot(const DesktopRoot&) = delete;
    DesktopRoot& operator=(const DesktopRoot&) = delete;

    /// Builds the windows for the delegate (which owns them from then on) and connects the later
    /// starts of `instance` and the termination signals to it.
    void attach(AppDelegate& delegate, SingleInstance& instance);
    /// Opens the links among the arguments, launches, and runs the event loop; returns its status.
    int run(const std::vector<std::string>& arguments);
    /// The application quits once, after its jobs and sockets have had their grace, and within
    /// ShutdownWatchdog::loopLimit in any case.
    void quit();

private:
    boost::asio::any_io_executor main_;
    std::shared_ptr<AppServiceFactory> services_;
    ShutdownWatchdog& watchdog_;
    QPointer<AppDelegate> delegate_;
    std::unique_ptr<TerminationSignals> signals_;
};

} // namespace velto
