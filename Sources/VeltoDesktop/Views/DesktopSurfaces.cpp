#include "VeltoDesktop/Views/DesktopSurfaces.hpp"

#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/AppModel.hpp"
#include "VeltoDesktop/Views/DesktopUrlOpening.hpp"
#include "VeltoDesktop/Views/SystemTrayDetection.hpp"
#include "VeltoDesktop/Views/TrayStatusItemHost.hpp"
#include "VeltoDevice/HTTP/BeastHTTPTransport.hpp"
#include "VeltoDevice/LoginItem/SystemLoginItemService.hpp"

#include <QCursor>
#include <QGuiApplication>

namespace velto {

DesktopSurfaces::Options DesktopSurfaces::systemOptions(boost::asio::any_io_executor main,
                                                        std::shared_ptr<AppServiceFactory> services,
                                                        std::function<void()> quit) {
    Options options;
    options.main = std::move(main);
    options.services = std::move(services);
    BeastHTTPTransport::Options transport;
    // The process's one trust, as the connections' transports use.
    transport.trust = TLSTrust::standard();
    transport.bodyLimit = RemoteImageCache::maximumBody;
    options.pictureTransport = std::make_shared<BeastHTTPTransport>(transport);
    options.urls = std::make_shared<DesktopUrlOpening>();
    options.trayDetection = std::make_shared<SystemTrayDetection>();
    options.makeTrayHost = [] { return std::make_unique<TrayStatusItemHost>(); };
    options.panelEnvironment = MenuPanel::systemEnvironment();
    options.quit = std::move(quit);
    options.openLoginItemSettings = [services = options.services] {
        SystemLoginItemService::openSystemSettings(services->blockingExecutor(),
                                                   services->processEnvironment());
    };
    return options;
}

DesktopSurfaces::DesktopSurfaces(Options options) : options_(std::move(options)) {}

DesktopSurfaces::~DesktopSurfaces() {
    // Windows before the engine, the engine before the picture cache its providers read.
    statusItem_.reset();
    trayInk_.reset();
    enrollmentWindow_.reset();
    panel_.reset();
    menu_.reset();
    views_.reset();
    remote_.reset();
}

void DesktopSurfaces::attach(AppModel& model) {
    if (model_)
        return;
    model_ = &model;
    remote_ =
        std::make_unique<RemoteImageCache>(options_.main, options_.services->deviceExecutor(),
                                           options_.services->blockingExecutor(), options_.pictureTransport);
    views_ = std::make_unique<ViewEngine>(&model, *remote_);
    menu_ = std::make_unique<StatusMenuController>(model, options_.urls, options_.quit,
                                                   options_.openLoginItemSettings);
    panel_ = std::make_unique<MenuPanel>(*views_, *menu_, options_.panelEnvironment);
    enrollmentWindow_ = std::make_unique<EnrollmentWindow>(model, *views_);
    enrollmentWindow_->controller().setReduceMotion(reduceMotion_);
}

void DesktopSurfaces::showStatusItem() {
    if (!model_ || statusItem_)
        return;
    StatusItemController::Dependencies dependencies;
    dependencies.detection = options_.trayDetection;
    dependencies.makeHost = options_.makeTrayHost;
    const bool knowsPointer = options_.panelEnvironment.placesWindows;
    dependencies.pointer = [knowsPointer]() -> std::optional<QPoint> {
        if (!knowsPointer)
            return std::nullopt;
        return QCursor::pos();
    };
    dependencies.now = [] { return std::chrono::steady_clock::now(); };
    trayInk_ = std::make_unique<TrayInk>(views_->palette().ink());
    dependencies.ink = [ink = trayInk_.get()] { return ink->ink(); };
    statusItem_ = std::make_unique<StatusItemController>(*model_, *menu_, *panel_, std::move(dependencies));
    QObject::connect(trayInk_.get(), &TrayInk::changed, statusItem_.get(), &StatusItemController::redrawIcon);
    appLog().info(statusItem_->hasTray() ? "the status item is in the tray"
                                         : "no tray: the menu opens as a window");
}

void DesktopSurfaces::showEnrollmentPrompt() {
    if (enrollmentWindow_)
        enrollmentWindow_->show();
}

void DesktopSurfaces::setReduceMotion(bool reduce) {
    reduceMotion_ = reduce;
    if (enrollmentWindow_)
        enrollmentWindow_->controller().setReduceMotion(reduce);
}

void DesktopSurfaces::closeMenu() {
    if (statusItem_)
        statusItem_->closeMenu();
}

void DesktopSurfaces::bringForward() {
    if (statusItem_)
        statusItem_->bringForward();
}

} // namespace velto
