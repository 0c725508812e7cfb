#pragma once

#include "VeltoDesktop/Model/AppServiceFactory.hpp"
#include "VeltoDevice/HTTP/TLSTrust.hpp"
#include "VeltoDevice/Support/DeviceThread.hpp"
#include "VeltoDevice/Support/Environment.hpp"

#include <boost/asio/any_io_executor.hpp>

#include <memory>

namespace velto {

/// The real services: the keyring, the files under the user's folders, the network over Beast, the
/// harness tools, the update path of the running bundle, logind and hostnamed on the system bus.
class SystemServices final : public AppServiceFactory {
public:
    /// The library runs on `thread`, which must outlive every service made here.
    SystemServices(DeviceThread& thread, Environment processEnvironment);

    boost::asio::any_io_executor deviceExecutor() override;
    boost::asio::any_io_executor storageExecutor() override { return storage_; }
    boost::asio::any_io_executor blockingExecutor() override;
    std::shared_ptr<Clock> clock() override;
    const DeviceEnvironment& environment() override { return environment_; }

    std::shared_ptr<PreferencesDomain> standardPreferences() override { return standard_; }
    std::shared_ptr<PreferencesDomain> earlierPreferences() override { return earlier_; }
    std::shared_ptr<DeviceKeyring> keyring() override;
    std::shared_ptr<HarnessInventory> makeInventory() override;
    std::shared_ptr<ModelCatalogCache> makeModelCatalogCache() override;
    std::shared_ptr<OrganizationPhotoCache> makePhotoCache() override;
    std::shared_ptr<OrganizationSockets> makeSockets() override;
    std::shared_ptr<JobRunnerControl> makeRunner() override;
    std::shared_ptr<UpdateCoordinator> makeUpdates(std::shared_ptr<JobActivity> activity) override;
    std::shared_ptr<SavedEnrollments> makeSavedEnrollments() override;

    std::shared_ptr<EnrollmentStorage> earlierEnrollment() override;
    std::shared_ptr<DeviceKeyStorage> earlierKey() override;
    std::shared_ptr<HTTPTransport> makeTransport() override;
    std::shared_ptr<WebSocketDialer> makeDialer() override;
    std::shared_ptr<MachineNaming> machineNaming() override;
    std::shared_ptr<PowerEventSource> powerEvents() override;
    std::shared_ptr<LoginItem> makeLoginItem() override;
    std::shared_ptr<CommandLineTool> makeCommandLineTool() override;
    std::shared_ptr<CommandLineLogins> makeCommandLineLogins() override;
    std::shared_ptr<InstalledSkillRecords> skillRecords() override;
    Environment processEnvironment() override { return processEnvironment_; }
    std::optional<std::filesystem::path> home() override;
    std::shared_ptr<LoginPathResolving> loginPaths() override;
    std::shared_ptr<ProcessRunning> processes() override;
    boost::asio::thread_pool* blockingPool() override { return &thread_.blockingPool(); }

    /// The one TLS trust of every transport, dialer and downloader made here.
    std::shared_ptr<TLSTrust> trust() const { return trust_; }

    /// For an installable copy: writes the link handler's desktop entry when it differs and, in the
    /// background, makes it the handler of enrollment links when none is set.
    void registerLinkHandler();

private:
    DeviceThread& thread_;
    Environment processEnvironment_;
    DeviceEnvironment environment_;
    boost::asio::any_io_executor storage_;
    std::shared_ptr<PreferencesDomain> standard_;
    std::shared_ptr<PreferencesDomain> earlier_;
    std::shared_ptr<ProcessRunning> processes_;
    std::shared_ptr<TLSTrust> trust_;
};

} // namespace velto
