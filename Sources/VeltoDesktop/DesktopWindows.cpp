#include "VeltoDesktop/DesktopWindows.hpp"

#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/Model/AppModel.hpp"
#include "VeltoDesktop/Setup/AppSetupModel.hpp"
#include "VeltoDesktop/Setup/MotionPreference.hpp"
#include "VeltoDesktop/Setup/SetupWindow.hpp"
#include "VeltoDesktop/System/ProcessEnvironment.hpp"
#include "VeltoDesktop/Views/AppPanelModel.hpp"
#include "VeltoDesktop/Views/AppPromptModel.hpp"
#include "VeltoDesktop/Views/DesktopUrlOpening.hpp"
#include "VeltoDesktop/Views/EnrollmentWindow.hpp"
#include "VeltoDesktop/Views/RemoteImageCache.hpp"
#include "VeltoDesktop/Views/StatusMenuController.hpp"
#include "VeltoDesktop/Views/SystemTrayDetection.hpp"
#include "VeltoDesktop/Views/TrayInk.hpp"
#include "VeltoDesktop/Views/TrayStatusItemHost.hpp"
#include "VeltoDesktop/Views/ViewEngine.hpp"
#include "VeltoDevice/HTTP/BeastHTTPTransport.hpp"
#include "VeltoDevice/LoginItem/SystemLoginItemService.hpp"

#include <QCursor>
#include <QDBusConnection>
#include <QGuiApplication>

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
    dependencies.panel = MenuPanel::system();
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
    // Windows before the engine, the engine before the picture cache its providers read.
    setupWindow_.reset();
    setupModel_.reset();
    statusItem_.reset();
    trayInk_.reset();
    enrollmentWindow_.reset();
    prompt_.reset();
    panel_.reset();
    menu_.reset();
    views_.reset();
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
    views_ = std::make_unique<ViewEngine>(panelModel_.get(), *remote_);
    menu_ = std::make_unique<StatusMenuController>(*panelModel_, dependencies_.urls, dependencies_.quit,
                                                   dependencies_.openLoginItemSettings);
    panel_ = std::make_unique<MenuPanel>(*views_, *menu_, dependencies_.panel);
    prompt_ = std::make_unique<AppPromptModel>(model);
    enrollmentWindow_ = std::make_unique<EnrollmentWindow>(*prompt_, *views_);
    setupModel_ = std::make_unique<AppSetupModel>(model, dependencies_.openLoginItemSettings);

    motion_ =
        std::make_unique<MotionPreference>(ProcessEnvironment::current(), QDBusConnection::sessionBus());
    QObject::connect(motion_.get(), &MotionPreference::reduceMotionChanged, motion_.get(),
                     [this] { setReduceMotion(motion_->reduceMotion()); });
    setReduceMotion(motion_->reduceMotion());
}

void DesktopWindows::showSetup() {
    if (!model_)
        return;
    if (!setupWindow_) {
        std::function<QQmlEngine&()> makeEngine = [views = views_.get()]() -> QQmlEngine& {
            return views->engine();
        };
        setupWindow_ = std::make_unique<SetupWindow>(
            SetupWindow::Dependencies{setupModel_->flowDependencies(*dependencies_.urls, dependencies_.main),
                                      SetupWindow::Engine(std::move(makeEngine)), remote_.get(),
                                      motion_.get(), &IllustrationClock::systemNow});
    }
    setupWindow_->show();
}

void DesktopWindows::showStatusItem() {
    if (!model_ || statusItem_)
        return;
    StatusItemController::Dependencies dependencies;
    dependencies.detection = dependencies_.trayDetection;
    dependencies.makeHost = dependencies_.makeTrayHost;
    const bool knowsPointer = dependencies_.panel.placesWindows;
    dependencies.pointer = [knowsPointer]() -> std::optional<QPoint> {
        if (!knowsPointer)
            return std::nullopt;
        return QCursor::pos();
    };
    dependencies.now = [] { return std::chrono::steady_clock::now(); };
    trayInk_ = std::make_unique<TrayInk>(views_->palette().ink());
    dependencies.ink = [ink = trayInk_.get()] { return ink->ink(); };
    statusItem_ =
        std::make_unique<StatusItemController>(*panelModel_, *menu_, *panel_, std::move(dependencies));
    QObject::connect(trayInk_.get(), &TrayInk::changed, statusItem_.get(), &StatusItemController::redrawIcon);
    appLog().info(statusItem_->hasTray() ? "the status item is in the tray"
                                         : "no tray: the menu opens as a window");
}

void DesktopWindows::showEnrollmentPrompt() {
    if (enrollmentWindow_)
        enrollmentWindow_->show();
}

void DesktopWindows::setReduceMotion(bool reduce) {
    if (enrollmentWindow_)
        enrollmentWindow_->controller().setReduceMotion(reduce);
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
