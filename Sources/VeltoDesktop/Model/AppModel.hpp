#pragma once

#include "VeltoDesktop/Model/AppServiceFactory.hpp"
#include "VeltoDesktop/Model/AssignNotifying.hpp"
#include "VeltoDesktop/Model/CommandLineModel.hpp"
#include "VeltoDesktop/Model/DeviceEnvironment.hpp"
#include "VeltoDesktop/Model/DevicePreferences.hpp"
#include "VeltoDesktop/Model/EnrolledOrganization.hpp"
#include "VeltoDesktop/Model/EnrollmentForm.hpp"
#include "VeltoDesktop/Model/EnrollmentPrompt.hpp"
#include "VeltoDesktop/Model/HarnessesModel.hpp"
#include "VeltoDesktop/Model/LoginItemModel.hpp"
#include "VeltoDesktop/Model/OrganizationConnections.hpp"
#include "VeltoDesktop/Model/OrganizationListModel.hpp"
#include "VeltoDesktop/Model/OwnedTasks.hpp"
#include "VeltoDesktop/Model/UpdatesModel.hpp"
#include "VeltoDevice/Connection/OverallConnection.hpp"
#include "VeltoDevice/Enrollment/ApprovedEnrollment.hpp"
#include "VeltoDevice/Enrollment/EnrollmentInFlight.hpp"
#include "VeltoDevice/Enrollment/SetupProgress.hpp"
#include "VeltoDevice/HTTP/DeviceIdentity.hpp"
#include "VeltoDevice/Harness/HarnessStatus.hpp"
#include "VeltoDevice/Keys/SecureEnclaveKeyStore.hpp"
#include "VeltoDevice/Protocol/DeviceMessage.hpp"
#include "VeltoDevice/Scopes/DeviceScopes.hpp"
#include "VeltoDevice/Scopes/DeviceScopesClient.hpp"
#include "VeltoDevice/Support/StrandConfined.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>
#include <boost/url/url_view.hpp>

#include <QImage>
#include <QObject>
#include <QString>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace velto {

/// The application's one observable model: it builds and owns every device-library service, holds
/// what the views show, and offers the operations they call. Each observed property notifies its
/// signal only when its value changes. Everything here runs on the main thread; the library's
/// services are reached through the device executor.
class AppModel final : public QObject {
    Q_OBJECT

public:
    /// The places the job runner has, and the capacity a lending Mac offers.
    static constexpr int capacity = 16;

    using Hook = std::function<void()>;

    /// Builds every service from `services`, in order. `main` is the main thread's executor.
    AppModel(boost::asio::any_io_executor main, std::shared_ptr<AppServiceFactory> services);
    ~AppModel() override;

    // Observed state.
    OrganizationListModel* organizationList() const { return organizations_.get(); }
    const std::vector<EnrolledOrganization>& organizations() const { return organizations_->rows(); }
    bool isPaused() const { return isPaused_; }
    const std::optional<std::string>& problem() const { return problem_; }
    const std::optional<EnrollmentPrompt>& enrollmentPrompt() const { return enrollmentPrompt_; }
    const EnrollmentInFlight& enrollmentInFlight() const { return enrollmentInFlight_; }
    const std::map<std::string, DeviceScopes>& deviceScopes() const { return deviceScopes_; }
    const std::map<std::string, std::string>& scopeRefusals() const { return scopeRefusals_; }
    const std::map<std::string, QImage>& organizationPhotos() const { return organizationPhotos_; }

    DevicePreferences& preferences() const { return *preferences_; }
    EnrollmentForm& enrollmentForm() const { return *enrollmentForm_; }
    const DeviceEnvironment& environment() const { return environment_; }
    OrganizationConnections& connections() const { return *connections_; }
    HarnessesModel& harnesses() const { return *harnesses_; }
    CommandLineModel& commandLine() const { return *commandLine_; }
    LoginItemModel& loginItem() const { return *loginItem_; }
    UpdatesModel& updates() const { return *updates_; }
    bool isAsleep() const { return isAsleep_; }

    // Computed state.
    std::vector<Enrollment> enrollments() const;
    OverallConnection overallConnection() const;
    SetupProgress setupProgress() const;
    DeviceMessage::Hello helloSnapshot() const;

    // Hooks the delegate fills; each does nothing until then.
    void setPresentEnrollmentPrompt(Hook hook) { presentEnrollmentPrompt_ = std::move(hook); }
    void setPresentSetup(Hook hook) { presentSetup_ = std::move(hook); }
    void setCloseMenu(Hook hook) { closeMenu_ = std::move(hook); }
    void presentSetup() const { presentSetup_(); }
    void closeMenu() const { closeMenu_(); }

    // The hello.
    /// The hello, detecting the harnesses first while none are known.
    boost::asio::awaitable<DeviceMessage::Hello> makeHello();
    boost::asio::awaitable<void> applyConnectionWish();
    boost::asio::awaitable<void> setPaused(bool paused);
    /// Announces `helloSnapshot()` to every organization's socket.
    boost::asio::awaitable<void> announceHello();

    // Restoring, connecting, adopting and removing.
    /// Moves the earlier enrollment, then restores every saved enrollment in stored order; returns once
    /// every key has been read (the connections come up in tasks of their own).
    boost::asio::awaitable<void> restore();
    boost::asio::awaitable<void> moveEarlierEnrollment();
    boost::asio::awaitable<void> restore(Enrollment enrollment);
    /// Adds the organization's row (in place of the same organization's) and connects it.
    void addAndConnect(const Enrollment& enrollment, std::shared_ptr<const DeviceSigningKey> key);
    void connect(const Enrollment& enrollment, std::shared_ptr<const DeviceSigningKey> key);
    void setConnectionState(const ConnectionState& state, const std::string& deviceId);
    boost::asio::awaitable<void> remove(EnrolledOrganization organization);

    // Enrollment from links and codes.
    void propose(boost::urls::url_view url);
    /// A link argument as text (from the command line or another instance).
    void propose(std::string_view linkText);
    void propose(const EnrollmentLink& link);
    boost::asio::awaitable<void> confirmEnrollment();
    /// The prompt window closed: the prompt goes unless a proposal is being spent.
    void promptClosed();

    // Sleep and wake.
    /// Stops every socket (the wish is now false) and cancels every running job.
    boost::asio::awaitable<void> sleep();
    /// Applies the wish again, then refreshes the harnesses and the command's logins.
    boost::asio::awaitable<void> wake();
    boost::asio::awaitable<void> cancelAllJobs();
    /// The application quits: stops every job (waiting at most `jobGrace` for each to settle and send
    /// its finish on its socket), then stops every socket, which closes with 1001, and waits at most
    /// `closeLimit` for those closing handshakes. No socket starts again afterwards.
    boost::asio::awaitable<void> quit(Clock::Duration jobGrace, Clock::Duration closeLimit);

    // Work that runs once launched.
    /// Starts the idle, room and progress tasks; `terminate` ends the application after an install.
    void startUpdates(Hook terminate);

    // Profiles and photos.
    /// A profile the server sent: the row and the saved enrollment take it, and the photo, the
    /// command's login and the scopes are fetched again.
    void takeProfile(const DeviceProfile& profile, const std::string& deviceId,
                     const DeviceIdentity& identity);
    void loadCachedPhoto(const std::string& deviceId);
    void forgetPhoto(const std::string& deviceId);
    std::optional<QImage> photo(const Enrollment* enrollment) const;

    // Scopes.
    boost::asio::awaitable<void> refreshScopes(std::string deviceId);
    boost::asio::awaitable<void> setScopeGranted(DeviceScope scope, bool isGranted, std::string deviceId);
    boost::asio::awaitable<void> agreeEverywhere(std::set<DeviceScope> scopes);
    std::optional<DeviceScopes> scopes(const EnrolledOrganization& organization) const;

    /// Starts a main-thread task that the model does not wait for, named by `operation` in the log.
    void spawn(std::string_view operation, boost::asio::awaitable<void> task);

Q_SIGNALS:
    void organizationsChanged();
    void isPausedChanged();
    void problemChanged();
    void enrollmentPromptChanged();
    void enrollmentInFlightChanged();
    void deviceScopesChanged();
    void scopeRefusalsChanged();
    void organizationPhotosChanged();

private:
    void setProblem(std::optional<std::string> problem) {
        assignNotifying(*this, problem_, std::move(problem), &AppModel::problemChanged);
    }
    void setPrompt(std::optional<EnrollmentPrompt> prompt) {
        assignNotifying(*this, enrollmentPrompt_, std::move(prompt), &AppModel::enrollmentPromptChanged);
    }
    void setOrganizationPhoto(const std::string& deviceId, std::optional<QImage> image);

    boost::asio::awaitable<void> spend(ApprovedEnrollment approved);
    boost::asio::awaitable<JoinedOrganization> join(ApprovedCode code);
    boost::asio::awaitable<std::pair<Enrollment, std::shared_ptr<SecureEnclaveDeviceKey>>>
    enroll(ApprovedCode code);
    void updateRecord(const std::string& deviceId, const DeviceProfile& profile);
    /// What a scopes request came to: not asked (the organization has no identity), or asked and
    /// stored, or asked and failed.
    struct ScopesReply {
        bool isAsked = false;
        std::exception_ptr failure;
    };
    using ScopesRequest = std::function<boost::asio::awaitable<DeviceScopes>(DeviceScopesClient)>;
    /// Sends the request with the organization's identity and stores the scopes it answers.
    boost::asio::awaitable<ScopesReply> requestScopes(std::string deviceId, ScopesRequest request);
    boost::asio::awaitable<void> syncPhoto(DeviceProfile::Organization organization, std::string deviceId,
                                           DeviceIdentity identity);
    std::uint64_t nextConnectGeneration(const std::string& deviceId);

    boost::asio::any_io_executor main_;
    std::shared_ptr<AppServiceFactory> services_;
    boost::asio::any_io_executor device_;
    boost::asio::any_io_executor storage_;
    DeviceEnvironment environment_;

    std::unique_ptr<OrganizationListModel> organizations_;
    std::optional<std::string> problem_;
    std::unique_ptr<DevicePreferences> preferences_;
    std::unique_ptr<EnrollmentForm> enrollmentForm_;
    std::optional<EnrollmentPrompt> enrollmentPrompt_;
    EnrollmentInFlight enrollmentInFlight_;
    std::shared_ptr<SecureEnclaveKeyStore> keyStore_;
    std::shared_ptr<JobRunnerControl> runner_;
    std::shared_ptr<UpdateCoordinator> updateCoordinator_;
    std::unique_ptr<HarnessesModel> harnesses_;
    std::unique_ptr<LoginItemModel> loginItem_;
    std::unique_ptr<CommandLineModel> commandLine_;
    std::unique_ptr<UpdatesModel> updates_;
    std::map<std::string, DeviceScopes> deviceScopes_;
    std::map<std::string, std::string> scopeRefusals_;
    std::map<std::string, QImage> organizationPhotos_;
    /// Per device id, the number of its latest picture load or forgetting.
    std::map<std::string, std::uint64_t> photoLoads_;
    std::shared_ptr<OrganizationPhotoCache> photoCache_;
    std::unique_ptr<OrganizationConnections> connections_;
    bool isAsleep_ = false;
    bool isQuitting_ = false;
    Hook presentEnrollmentPrompt_ = [] {};
    Hook presentSetup_ = [] {};
    Hook closeMenu_ = [] {};
    bool isPaused_ = false;
    /// The saved list, used one operation at a time on the storage strand.
    std::optional<StrandConfined<SavedEnrollments>> savedEnrollments_;

    /// Per device id, the number of its latest connect; a connect whose number is no longer there
    /// (removed, replaced, connected again) leaves nothing behind.
    std::map<std::string, std::uint64_t> connectGenerations_;
    std::uint64_t connectCounter_ = 0;
    /// Last: the tasks still running are cancelled first.
    OwnedTasks tasks_;
};

} // namespace velto
