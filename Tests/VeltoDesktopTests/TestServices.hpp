#pragma once

#include "VeltoDesktop/Model/AppServiceFactory.hpp"
#include "VeltoDevice/Enrollment/EnrollmentListStore.hpp"
#include "VeltoDevice/Enrollment/EnrollmentStore.hpp"
#include "VeltoDevice/Harness/HarnessStatus.hpp"
#include "VeltoDevice/Harness/ProcessRunner.hpp"
#include "VeltoDevice/Update/UpdateInstalling.hpp"
#include "VeltoDevice/Update/UpdateStaging.hpp"

#include <memory>
#include <optional>
#include <vector>

#include "DesktopTestLoop.hpp"
#include "FakeJobRunner.hpp"
#include "FakeMachineNaming.hpp"
#include "FakePowerSource.hpp"
#include "InMemoryKeyStorage.hpp"
#include "InMemoryKeyring.hpp"
#include "ManualClock.hpp"
#include "RoutedTransport.hpp"
#include "ScriptedWebSocketDialer.hpp"
#include "TemporaryFolder.hpp"

namespace velto::testing {

/// Every service of the model as a test substitute, over one DesktopTestLoop: an in-memory keyring,
/// files in a temporary folder, a routed transport and a scripted dialer shared by every organization,
/// a manual clock, harness detection and the model catalog as the test sets them, a fake runner and
/// power source. The test changes the public fields before the model is built (or between calls).
class TestServices final : public AppServiceFactory {
public:
    explicit TestServices(DesktopTestLoop& loop);

    boost::asio::any_io_executor deviceExecutor() override { return loop_.deviceExecutor(); }
    boost::asio::any_io_executor storageExecutor() override {
        return storageWork.value_or(loop_.deviceExecutor());
    }
    boost::asio::any_io_executor blockingExecutor() override {
        return blockingWork.value_or(loop_.deviceExecutor());
    }
    std::shared_ptr<Clock> clock() override { return manualClock; }
    const DeviceEnvironment& environment() override { return deviceEnvironment; }

    std::shared_ptr<PreferencesDomain> standardPreferences() override { return standard; }
    std::shared_ptr<PreferencesDomain> earlierPreferences() override { return earlier; }
    std::shared_ptr<DeviceKeyring> keyring() override {
        return keyringOverride ? keyringOverride : std::shared_ptr<DeviceKeyring>(keys);
    }
    std::shared_ptr<HarnessInventory> makeInventory() override;
    std::shared_ptr<ModelCatalogCache> makeModelCatalogCache() override;
    std::shared_ptr<OrganizationPhotoCache> makePhotoCache() override { return photoCache; }
    std::shared_ptr<OrganizationSockets> makeSockets() override { return sockets; }
    std::shared_ptr<JobRunnerControl> makeRunner() override { return runner; }
    std::shared_ptr<UpdateCoordinator> makeUpdates(std::shared_ptr<JobActivity> activity) override;
    std::shared_ptr<SavedEnrollments> makeSavedEnrollments() override { return savedEnrollments; }

    std::shared_ptr<EnrollmentStorage> earlierEnrollment() override { return earlierStore; }
    std::shared_ptr<DeviceKeyStorage> earlierKey() override { return earlierKeyStorage; }
    std::shared_ptr<HTTPTransport> makeTransport() override { return transport; }
    std::shared_ptr<WebSocketDialer> makeDialer() override { return dialer; }
    std::shared_ptr<MachineNaming> machineNaming() override { return naming; }
    std::shared_ptr<PowerEventSource> powerEvents() override { return power; }
    std::shared_ptr<LoginItem> makeLoginItem() override { return loginItem; }
    std::shared_ptr<CommandLineTool> makeCommandLineTool() override { return commandLineTool; }
    std::shared_ptr<CommandLineLogins> makeCommandLineLogins() override { return logins; }
    std::shared_ptr<InstalledSkillRecords> skillRecords() override { return records; }
    Environment processEnvironment() override { return {{"PATH", "/usr/bin:/bin"}}; }
    std::optional<std::filesystem::path> home() override { return folder.path() / "home"; }
    std::shared_ptr<LoginPathResolving> loginPaths() override { return paths; }
    std::shared_ptr<ProcessRunning> processes() override { return processRunner; }
    boost::asio::thread_pool* blockingPool() override { return nullptr; }

    /// The stored logins of the velto command.
    std::vector<CommandLineLogin> storedLogins() const { return logins->logins(); }

    /// Saves enrollments with their keys as a restored list would hold them.
    void save(const std::vector<Enrollment>& enrollments);
    std::vector<Enrollment> saved() const { return listStore->load(); }

    TemporaryFolder folder;
    /// Where the model's storage strand and blocking work run: the device loop, unless a test gives
    /// executors of a pool of its own.
    std::optional<boost::asio::any_io_executor> storageWork;
    std::optional<boost::asio::any_io_executor> blockingWork;
    DeviceEnvironment deviceEnvironment;
    std::shared_ptr<PreferencesDomain> standard;
    std::shared_ptr<PreferencesDomain> earlier;
    std::shared_ptr<InMemoryKeyring> keys = std::make_shared<InMemoryKeyring>();
    /// The model's keyring in place of `keys`, when a test gives one.
    std::shared_ptr<DeviceKeyring> keyringOverride;
    std::shared_ptr<ManualClock> manualClock = std::make_shared<ManualClock>();
    /// What each detection finds; `detections` counts them.
    std::vector<HarnessStatus> detected;
    int detections = 0;
    std::optional<ModelCatalog> catalog;
    int catalogFetches = 0;
    std::shared_ptr<OrganizationPhotoCache> photoCache;
    std::shared_ptr<OrganizationSockets> sockets = std::make_shared<OrganizationSockets>();
    std::shared_ptr<FakeJobRunner> runner = std::make_shared<FakeJobRunner>();
    std::shared_ptr<UpdateCoordinator> updates;
    std::shared_ptr<EnrollmentListStore> listStore;
    std::shared_ptr<SavedEnrollments> savedEnrollments;
    std::shared_ptr<EnrollmentStore> earlierStore;
    std::shared_ptr<InMemoryKeyStorage> earlierKeyStorage = std::make_shared<InMemoryKeyStorage>();
    std::shared_ptr<RoutedTransport> transport = std::make_shared<RoutedTransport>();
    std::shared_ptr<ScriptedWebSocketDialer> dialer = std::make_shared<ScriptedWebSocketDialer>();
    std::shared_ptr<FakeMachineNaming> naming = std::make_shared<FakeMachineNaming>();
    std::shared_ptr<FakePowerSource> power = std::make_shared<FakePowerSource>();
    std::shared_ptr<LoginItem> loginItem;
    std::shared_ptr<CommandLineTool> commandLineTool;
    std::shared_ptr<CommandLineLogins> logins;
    std::shared_ptr<InstalledSkillRecords> records;
    std::shared_ptr<LoginPathResolving> paths;
    std::shared_ptr<ProcessRunning> processRunner;

private:
    DesktopTestLoop& loop_;
};

} // namespace velto::testing
