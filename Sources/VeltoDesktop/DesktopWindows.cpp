#include "VeltoDesktop/DesktopWindows.hpp"

#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/Model/AppModel.hpp"
#include "VeltoDesktop/Setup/AppSetupModel.hpp"
#include "VeltoDesktop/Setup/MotionPreference.hpp"
#include "VeltoDesktop/System/ProcessEnvironment.hpp"
#include "VeltoDesktop/Views/AppPanelModel.hpp"
#include "VeltoDesktop/Views/AppPromptModel.hpp"
#include "VeltoDesktop/Views/DesktopUrlOpening.hpp"
#include "VeltoDesktop/Views/RemoteImageCache.hpp"
#include "VeltoDesktop/Views/StatusMenuController.hpp"
#include "VeltoDesktop/Views/SystemTrayDetection.hpp"
#include "VeltoDesktop/Views/TrayInk.hpp"
#include "VeltoDesktop/Views/TrayStatusItemHost.hpp"
#include "VeltoDesktop/Views/ViewPalette.hpp"
#include "VeltoDevice/HTTP/BeastHTTPTransport.hpp"
#include "VeltoDevice/LoginItem/SystemLoginItemService.hpp"

#include <boost/asio/post.hpp>

#include <QCursor>
#include <QDBusConnection>
#include <QGuiApplication>
#include <utility>

namespace velto {

DesktopWindows::Dependencies DesktopWindows::system(boost::asio::any_io_executor main,
                                                    std::shared_ptr<AppServiceFactory> services,
                                                    std::function<void()> quit) {
    Dependencies dependencies;
    dependencies.main = std::move(main);
    dependencies.services = std::move(services);
    BeastHTTPTransport::Options transport;
    // The process's one trust, as the connections' transports use.
    transport.trust = TLSTrust::standard();
    transport.bodyLimit = RemoteImageCache::maximumBody;
    dependencies.pictureTransport = std::make_shared<BeastHTTPTransport>(transport);
    dependencies.urls = std::make_shared<DesktopUrlOpening>();
    dependencies.trayDetection = std::make_shared<SystemTrayDetection>();
    dependencies.makeTrayHost = [] { return std::make_unique<TrayStatusItemHost>(); };
    dependencies.placesWindows = !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    dependencies.windows = std::make_shared<WindowsModule>();
    dependencies.quit = std::move(quit);
    // The opener is a child of our own: it starts, and is reaped, on the device executor.
    dependencies.openLoginItemSettings = [services = dependencies.services] {
        SystemLoginItemService::openSystemSettings(services->deviceExecutor(),
                                                   services->processEnvironment());
    };
    return dependencies;
}

DesktopWindows::DesktopWindows(Dependencies dependencies) : dependencies_(std::move(dependencies)) {}

DesktopWindows::~DesktopWindows() {
    // The tray before the panel it opens, the windows before the presenters and the picture cache
    // they read.
    statusItem_.reset();
    loadingPanel_.reset();
    trayInk_.reset();
    windows_.reset();
    setupModel_.reset();
    prompt_.reset();
    menu_.reset();
    panelModel_.reset();
    remote_.reset();
}

void DesktopWindows::attach(AppModel& model) {
    if (model_)
        return;
    model_ = &model;
    remote_ = std::make_unique<RemoteImageCache>(dependencies_.main, dependencies_.services->deviceExecutor(),
                                                 dependencies_.services->blockingExecutor(),
                                                 dependencies_.pictureTransport);
    panelModel_ = std::make_unique<AppPanelModel>(model);
    menu_ = std::make_unique<StatusMenuController>(*panelModel_, dependencies_.urls, dependencies_.quit,
                                                   dependencies_.openLoginItemSettings);
    prompt_ = std::make_unique<AppPromptModel>(model);
    setupModel_ = std::make_unique<AppSetupModel>(model, dependencies_.openLoginItemSettings);

    motion_ =
        std::make_unique<MotionPreference>(ProcessEnvironment::current(), QDBusConnection::sessionBus());
    QObject::connect(motion_.get(), &MotionPreference::reduceMotionChanged, motion_.get(),
                     [this] { setReduceMotion(motion_->reduceMotion()); });
    setReduceMotion(motion_->reduceMotion());
}

ViewWindows* DesktopWindows::windows() {
    if (!windows_ && model_ && dependencies_.windows) {
        ViewWindows::Context context;
        context.panelModel = panelModel_.get();
        context.menu = menu_.get();
        context.prompt = prompt_.get();
        context.remote = remote_.get();
        context.motion = motion_.get();
        context.setupFlow = [this] {
            return setupModel_->flowDependencies(*dependencies_.urls, dependencies_.main);
        };
        windows_ = dependencies_.windows->make(context);
    }
    return windows_.get();
}

void DesktopWindows::whenWindows(std::function<void(ViewWindows*)> then) {
    if (windows_ || !model_ || !dependencies_.windows)
        return then(windows());
    waitingForWindows_.push_back(std::move(then));
    if (waitingForWindows_.size() > 1)
        return;
    std::weak_ptr<bool> alive = alive_;
    boost::asio::post(dependencies_.services->blockingExecutor(),
                      [module = dependencies_.windows, main = dependencies_.main, alive, this] {
                          module->open();
                          boost::asio::post(main, [alive, this] {
                              if (alive.expired())
                                  return;
                              auto* made = windows();
                              for (auto& waiting : std::exchange(waitingForWindows_, {}))
                                  waiting(made);
                          });
                      });
}

void DesktopWindows::showSetup() {
    if (auto* made = windows())
        made->showSetup();
}

void DesktopWindows::showStatusItem() {
    if (!model_ || statusItem_)
        return;
    StatusItemController::Dependencies dependencies;
    dependencies.detection = dependencies_.trayDetection;
    dependencies.makeHost = dependencies_.makeTrayHost;
    const bool knowsPointer = dependencies_.placesWindows;
    dependencies.pointer = [knowsPointer]() -> std::optional<QPoint> {
        if (!knowsPointer)
            return std::nullopt;
        return QCursor::pos();
    };
    dependencies.now = [] { return std::chrono::steady_clock::now(); };
    trayInk_ = std::make_unique<TrayInk>(ViewPalette(QGuiApplication::palette()).ink());
    dependencies.ink = [ink = trayInk_.get()] { return ink->ink(); };
    auto panel = [this]() -> StatusPanel* {
        loadingPanel_ = std::make_unique<LoadingStatusPanel>([this](std::function<void(StatusPanel*)> take) {
            whenWindows(
                [take = std::move(take)](ViewWindows* made) { take(made ? &made->panel() : nullptr); });
        });
        return loadingPanel_.get();
    };
    statusItem_ = std::make_unique<StatusItemController>(*panelModel_, *menu_, std::move(panel),
                                                         std::move(dependencies));
    QObject::connect(trayInk_.get(), &TrayInk::changed, statusItem_.get(), &StatusItemController::redrawIcon);
    appLog().info(statusItem_->hasTray() ? "the status item is in the tray"
                                         : "no tray: the menu opens as a window");
}

void DesktopWindows::showEnrollmentPrompt() {
    if (auto* made = windows())
        made->showEnrollmentPrompt();
}

void DesktopWindows::setReduceMotion(bool reduce) {
    // Windows not made yet read the preference when they are.
    if (windows_)
        windows_->setReduceMotion(reduce);
}

void DesktopWindows::closeMenu() {
    if (statusItem_)
        statusItem_->closeMenu();
}

void DesktopWindows::bringForward() {
    if (statusItem_)
        statusItem_->bringForward();
}

} // namespace velto
