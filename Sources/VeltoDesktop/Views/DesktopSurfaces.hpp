#pragma once

#include "VeltoDesktop/AppServiceFactory.hpp"
#include "VeltoDesktop/AppSurfaces.hpp"
#include "VeltoDesktop/Views/EnrollmentWindow.hpp"
#include "VeltoDesktop/Views/MenuPanel.hpp"
#include "VeltoDesktop/Views/RemoteImageCache.hpp"
#include "VeltoDesktop/Views/StatusItemController.hpp"
#include "VeltoDesktop/Views/StatusMenuController.hpp"
#include "VeltoDesktop/Views/TrayInk.hpp"
#include "VeltoDesktop/Views/UrlOpening.hpp"
#include "VeltoDesktop/Views/ViewEngine.hpp"

#include <boost/asio/any_io_executor.hpp>

#include <functional>
#include <memory>

namespace velto {

/// The application's windows on Qt Quick: one view engine with the picture cache, the status menu,
/// its panel, the tray item and the enrollment window. Built when attached to the model; the status
/// item appears when launching has finished.
class DesktopSurfaces final : public AppSurfaces {
public:
    struct Options {
        boost::asio::any_io_executor main;
        std::shared_ptr<AppServiceFactory> services;
        /// The transport of web pictures.
        std::shared_ptr<HTTPTransport> pictureTransport;
        std::shared_ptr<UrlOpening> urls;
        std::shared_ptr<StatusItemHostDetecting> trayDetection;
        std::function<std::unique_ptr<StatusItemHost>()> makeTrayHost;
        MenuPanel::Environment panelEnvironment;
        std::function<void()> quit;
        /// Shows where the desktop lists what opens at login.
        std::function<void()> openLoginItemSettings;
    };

    /// The system's: the desktop's browser, the session bus's tray, the screens, a picture transport
    /// that takes 5 MiB at most.
    static Options systemOptions(boost::asio::any_io_executor main,
                                 std::shared_ptr<AppServiceFactory> services, std::function<void()> quit);

    explicit DesktopSurfaces(Options options);
    ~DesktopSurfaces() override;

    void attach(AppModel& model) override;
    void showStatusItem() override;
    void showEnrollmentPrompt() override;
    void closeMenu() override;
    void bringForward() override;
    /// The desktop's wish for less motion, which the prompt's progress bar follows.
    void setReduceMotion(bool reduce);

    ViewEngine* views() const { return views_.get(); }
    RemoteImageCache* remote() const { return remote_.get(); }
    UrlOpening* urls() const { return options_.urls.get(); }
    StatusMenuController* menu() const { return menu_.get(); }
    MenuPanel* panel() const { return panel_.get(); }
    StatusItemController* statusItem() const { return statusItem_.get(); }

private:
    Options options_;
    AppModel* model_ = nullptr;
    bool reduceMotion_ = false;
    std::unique_ptr<RemoteImageCache> remote_;
    std::unique_ptr<ViewEngine> views_;
    std::unique_ptr<StatusMenuController> menu_;
    std::unique_ptr<MenuPanel> panel_;
    std::unique_ptr<EnrollmentWindow> enrollmentWindow_;
    std::unique_ptr<TrayInk> trayInk_;
    std::unique_ptr<StatusItemController> statusItem_;
};

} // namespace velto
