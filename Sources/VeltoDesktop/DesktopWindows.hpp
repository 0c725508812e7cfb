#pragma once

#include "VeltoDesktop/AppSurfaces.hpp"
#include "VeltoDesktop/Model/AppServiceFactory.hpp"
#include "VeltoDesktop/Views/LoadingStatusPanel.hpp"
#include "VeltoDesktop/Views/StatusItemController.hpp"
#include "VeltoDesktop/Views/UrlOpening.hpp"
#include "VeltoDesktop/Views/ViewWindows.hpp"
#include "VeltoDesktop/Views/WindowsModule.hpp"

#include <boost/asio/any_io_executor.hpp>

#include <functional>
#include <memory>
#include <vector>

namespace velto {

class AppPanelModel;
class AppPromptModel;
class AppSetupModel;
class MotionPreference;
class RemoteImageCache;
class StatusMenuController;
class TrayInk;

/// The application's surfaces: the tray item with its ink, drawn by the executable from launch, and
/// the windows on Qt Quick over one picture cache (the status menu's panel, the enrollment prompt's
/// window, the setup window), from the windows module loaded at the first of them. The presenters are
/// built when attached to the model; the status item appears when launching has finished.
class DesktopWindows final : public AppSurfaces {
public:
    struct Dependencies {
        boost::asio::any_io_executor main;
        std::shared_ptr<AppServiceFactory> services;
        /// The transport of web pictures.
        std::shared_ptr<HTTPTransport> pictureTransport;
        std::shared_ptr<UrlOpening> urls;
        std::shared_ptr<StatusItemHostDetecting> trayDetection;
        std::function<std::unique_ptr<StatusItemHost>()> makeTrayHost;
        /// Whether windows may be placed by the application (not on Wayland).
        bool placesWindows = true;
        /// The windows on Qt Quick, from the module next to the executable.
        std::shared_ptr<WindowsModule> windows;
        std::function<void()> quit;
        /// Shows where the desktop lists what opens at login (the menu's and the setup's).
        std::function<void()> openLoginItemSettings;
    };

    /// The system's: the desktop's browser, the session bus's tray, the screens, a picture transport
    /// that takes 5 MiB at most, the login items' folder opened on the device executor.
    static Dependencies system(boost::asio::any_io_executor main, std::shared_ptr<AppServiceFactory> services,
                               std::function<void()> quit);

    explicit DesktopWindows(Dependencies dependencies);
    ~DesktopWindows() override;

    void attach(AppModel& model) override;
    void showStatusItem() override;
    void showEnrollmentPrompt() override;
    void closeMenu() override;
    void bringForward() override;
    /// Made at the first show, in the other windows' engine.
    void showSetup();

private:
    void setReduceMotion(bool reduce);
    /// The windows, from the module at the first call; nothing where it cannot be loaded.
    ViewWindows* windows();
    /// Hands the windows (or nothing) to `then` on the main thread, once the module is loaded: for a
    /// first window the module is opened on the blocking pool, so that loading it holds up no frame.
    void whenWindows(std::function<void(ViewWindows*)> then);

    Dependencies dependencies_;
    AppModel* model_ = nullptr;
    std::unique_ptr<MotionPreference> motion_;
    std::unique_ptr<RemoteImageCache> remote_;
    std::unique_ptr<AppPanelModel> panelModel_;
    std::unique_ptr<StatusMenuController> menu_;
    std::unique_ptr<AppPromptModel> prompt_;
    std::unique_ptr<AppSetupModel> setupModel_;
    std::unique_ptr<ViewWindows> windows_;
    std::vector<std::function<void(ViewWindows*)>> waitingForWindows_;
    // Gone with this object: a module opened after it went is handed to no one.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::unique_ptr<LoadingStatusPanel> loadingPanel_;
    std::unique_ptr<TrayInk> trayInk_;
    std::unique_ptr<StatusItemController> statusItem_;
};

} // namespace velto
