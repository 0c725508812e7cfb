#pragma once

#include "VeltoDesktop/Model/AppServiceFactory.hpp"
#include "VeltoDesktop/Model/CommandLineModel.hpp"
#include "VeltoDesktop/Model/DeviceEnvironment.hpp"
#include "VeltoDesktop/Model/DevicePreferences.hpp"
#include "VeltoDesktop/Model/EnrollmentModel.hpp"
#include "VeltoDesktop/Model/HarnessesModel.hpp"
#include "VeltoDesktop/Model/LoginItemModel.hpp"
#include "VeltoDesktop/Model/OrganizationConnections.hpp"
#include "VeltoDesktop/Model/OrganizationsModel.hpp"
#include "VeltoDesktop/Model/OwnedTasks.hpp"
#include "VeltoDesktop/Model/PhotosModel.hpp"
#include "VeltoDesktop/Model/ScopesModel.hpp"
#include "VeltoDesktop/Model/UpdatesModel.hpp"
#include "VeltoDevice/Enrollment/SetupProgress.hpp"
#include "VeltoDevice/Protocol/DeviceMessage.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>

#include <QObject>
#include <functional>
#include <memory>
#include <string_view>

namespace velto {

/// The application's model: it builds every device-library service and the parts that hold what the
/// views show, and itself holds what ties them together: the hello, the connection wish (paused,
/// asleep, quitting), sleep and wake, quitting, and the delegate's hooks. Main thread.
class AppModel final : public QObject {
    Q_OBJECT

public:
    /// The places the job runner has, and the capacity a lending Mac offers.
    static constexpr int capacity = 16;
    using Hook = std::function<void()>;

    /// Builds every service from `services`, in order. `main` is the main thread's executor.
    AppModel(boost::asio::any_io_executor main, std::shared_ptr<AppServiceFactory> services);
    ~AppModel() override;

    OrganizationsModel& organizations() const { return *organizations_; }
    EnrollmentModel& enrollment() const { return *enrollment_; }
    PhotosModel& photos() const { return *photos_; }
    ScopesModel& scopes() const { return *scopes_; }
    DevicePreferences& preferences() const { return *preferences_; }
    const DeviceEnvironment& environment() const { return environment_; }
    OrganizationConnections& connections() const { return *connections_; }
    HarnessesModel& harnesses() const { return *harnesses_; }
    CommandLineModel& commandLine() const { return *commandLine_; }
    LoginItemModel& loginItem() const { return *loginItem_; }
    UpdatesModel& updates() const { return *updates_; }
    bool isPaused() const { return isPaused_; }
    bool isAsleep() const { return isAsleep_; }
    SetupProgress setupProgress() const;
    DeviceMessage::Hello helloSnapshot() const;

    // Hooks the delegate fills; each does nothing until then.
    void setPresentSetup(Hook hook) { presentSetup_ = std::move(hook); }
    void setCloseMenu(Hook hook) { closeMenu_ = std::move(hook); }
    void presentSetup() const { presentSetup_(); }
    void closeMenu() const { closeMenu_(); }

    /// The hello, detecting the harnesses first while none are known.
    boost::asio::awaitable<DeviceMessage::Hello> makeHello();
    boost::asio::awaitable<void> applyConnectionWish();
    boost::asio::awaitable<void> setPaused(bool paused);
    /// Announces `helloSnapshot()` to every organization's socket.
    boost::asio::awaitable<void> announceHello();

    /// Stops every socket (the wish is now false) and cancels every running job.
    boost::asio::awaitable<void> sleep();
    /// Applies the wish again, then refreshes the harnesses and the command's logins.
    boost::asio::awaitable<void> wake();
    boost::asio::awaitable<void> cancelAllJobs();
    /// The application quits: stops every job (waiting at most `jobGrace` for each to settle and send
    /// its finish on its socket), then stops every socket, which closes with 1001, and waits at most
    /// `closeLimit` for those closing handshakes. No socket starts again afterwards.
    boost::asio::awaitable<void> quit(Clock::Duration jobGrace, Clock::Duration closeLimit);
    /// Starts the idle, room and progress tasks; `terminate` ends the application after an install.
    void startUpdates(Hook terminate);
    /// Starts a main-thread task that the model does not wait for, named by `operation` in the log.
    void spawn(std::string_view operation, boost::asio::awaitable<void> task);

Q_SIGNALS:
    void isPausedChanged();

private:
    std::function<boost::asio::awaitable<void>()> announcing();

    boost::asio::any_io_executor main_;
    std::shared_ptr<AppServiceFactory> services_;
    boost::asio::any_io_executor device_;
    DeviceEnvironment environment_;
    std::unique_ptr<DevicePreferences> preferences_;
    std::shared_ptr<SecureEnclaveKeyStore> keyStore_;
    std::shared_ptr<JobRunnerControl> runner_;
    std::shared_ptr<UpdateCoordinator> updateCoordinator_;
    std::unique_ptr<HarnessesModel> harnesses_;
    std::unique_ptr<LoginItemModel> loginItem_;
    std::unique_ptr<CommandLineModel> commandLine_;
    std::unique_ptr<UpdatesModel> updates_;
    std::unique_ptr<OrganizationConnections> connections_;
    std::unique_ptr<PhotosModel> photos_;
    std::unique_ptr<ScopesModel> scopes_;
    std::unique_ptr<OrganizationsModel> organizations_;
    std::unique_ptr<EnrollmentModel> enrollment_;
    bool isPaused_ = false;
    bool isAsleep_ = false;
    bool isQuitting_ = false;
    Hook presentSetup_ = [] {};
    Hook closeMenu_ = [] {};
    /// Last: the tasks still running are cancelled first.
    OwnedTasks tasks_;
};

} // namespace velto
