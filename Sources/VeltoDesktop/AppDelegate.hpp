#pragma once

#include "VeltoDesktop/AppSurfaces.hpp"
#include "VeltoDesktop/Model/AppModel.hpp"
#include "VeltoDesktop/System/MemoryTrimmer.hpp"
#include "VeltoDesktop/System/PowerEvents.hpp"

#include <boost/asio/any_io_executor.hpp>

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velto {

/// Owns the application model and runs the launch sequence; routes enrollment links to the model.
/// The windows come from the surfaces given and the setup window from `setShowSetup`; without them
/// the hooks that would show them write a log line. Main thread only.
class AppDelegate final : public QObject {
    Q_OBJECT

public:
    /// The longest argument or forwarded line read as a link.
    static constexpr std::size_t maximumLinkLength = 64 * 1024;

    /// `terminate` ends the application (the installed update's relaunch waits for that).
    AppDelegate(boost::asio::any_io_executor main, std::shared_ptr<AppServiceFactory> services,
                std::function<void()> terminate);
    ~AppDelegate() override;

    AppModel& model() const { return *model_; }
    bool isReady() const { return isReady_; }
    bool hasFinishedLaunching() const { return hasFinishedLaunching_; }
    const std::optional<std::string>& launchLink() const { return launchLink_; }
    PowerEvents* powerEvents() const { return powerEvents_.get(); }

    /// The windows to show (before `willFinishLaunching`); none by default.
    void setSurfaces(std::shared_ptr<AppSurfaces> surfaces);
    /// Links forwarded by a later start: none brings the application's window forward.
    void forwarded(const std::vector<std::string>& links);

    /// Before the event loop runs: restores the saved organizations, installs the window hooks and
    /// becomes ready, in a task; a link that came before is proposed then.
    void willFinishLaunching();
    /// On the loop's first turn: the long-running work starts once the delegate is ready.
    void didFinishLaunching();
    /// Links to open (arguments or a later start's forwarded links): an argument that is not a link is
    /// logged and ignored; of the links, only the first is used.
    void open(const std::vector<std::string>& arguments);
    /// When the application is about to quit: ends the sleep and wake observation.
    void willTerminate();
    /// What shows the setup window (launch while setup is unfinished, the menu's setup, a first
    /// enrollment link); until it is set, a log line says the window would open.
    void setShowSetup(std::function<void()> show) { showSetup_ = std::move(show); }

    /// Whether the text is a link to hand to the model: an absolute URL of the "velto" scheme.
    static bool isLink(std::string_view argument);

Q_SIGNALS:
    /// Ready: restore has read every key and the hooks are in place.
    void ready();
    /// The launch sequence has finished.
    void launched();

private:
    boost::asio::awaitable<void> prepare();
    void finishLaunching();
    void showSetup();

    boost::asio::any_io_executor main_;
    std::shared_ptr<AppServiceFactory> services_;
    std::function<void()> terminate_;
    std::function<void()> showSetup_;
    std::unique_ptr<AppModel> model_;
    std::unique_ptr<PowerEvents> powerEvents_;
    std::shared_ptr<AppSurfaces> surfaces_;
    /// Trims the heap once the organizations' connections have been still for a while.
    MemoryTrimmer trimmer_;
    bool isReady_ = false;
    bool wantsFinishLaunching_ = false;
    bool hasFinishedLaunching_ = false;
    /// Where the proposal being shown was opened: its outcome goes there too.
    bool promptInSetup_ = false;
    std::optional<std::string> launchLink_;
};

} // namespace velto
