#pragma once

#include "VeltoDesktop/Model/DeviceEnvironment.hpp"
#include "VeltoDesktop/Model/JobRunnerControl.hpp"
#include "VeltoDesktop/System/MachineNaming.hpp"
#include "VeltoDesktop/System/PowerEventSource.hpp"
#include "VeltoDesktop/System/PreferencesDomain.hpp"
#include "VeltoDevice/Agents/InstalledSkillRecords.hpp"
#include "VeltoDevice/CommandLineTool/CommandLineLogins.hpp"
#include "VeltoDevice/CommandLineTool/CommandLineTool.hpp"
#include "VeltoDevice/Connection/OrganizationSockets.hpp"
#include "VeltoDevice/Connection/WebSocketDialer.hpp"
#include "VeltoDevice/Enrollment/EnrollmentStorage.hpp"
#include "VeltoDevice/Enrollment/SavedEnrollments.hpp"
#include "VeltoDevice/HTTP/HTTPTransport.hpp"
#include "VeltoDevice/Harness/HarnessInventory.hpp"
#include "VeltoDevice/Harness/LoginPathResolving.hpp"
#include "VeltoDevice/Harness/ProcessRunning.hpp"
#include "VeltoDevice/Keys/DeviceKeyStorage.hpp"
#include "VeltoDevice/Keys/DeviceKeyring.hpp"
#include "VeltoDevice/LoginItem/LoginItem.hpp"
#include "VeltoDevice/Photos/OrganizationPhotoCache.hpp"
#include "VeltoDevice/Runner/ModelCatalogCache.hpp"
#include "VeltoDevice/Support/Clock.hpp"
#include "VeltoDevice/Update/UpdateCoordinator.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/thread_pool.hpp>

#include <filesystem>
#include <memory>
#include <optional>

namespace velto {

/// Where the application model gets every service it owns. The model asks in the order of its
/// construction and keeps what it is given; production builds the real services, tests substitutes.
/// Every service that lives on the device io_context is only touched there afterwards.
class AppServiceFactory {
public:
    virtual ~AppServiceFactory() = default;

    /// The device library's io_context, where its actors live.
    virtual boost::asio::any_io_executor deviceExecutor() = 0;
    /// The one strand of the blocking pool on which the keyring and the enrollment files are used.
    virtual boost::asio::any_io_executor storageExecutor() = 0;
    /// Blocking work that needs no order (asking a system service).
    virtual boost::asio::any_io_executor blockingExecutor() = 0;
    /// The clock of the connections, the renewals of the command's logins and the catalog's age.
    virtual std::shared_ptr<Clock> clock() = 0;
    virtual const DeviceEnvironment& environment() = 0;

    // In the model's construction order.
    virtual std::shared_ptr<PreferencesDomain> standardPreferences() = 0;
    virtual std::shared_ptr<PreferencesDomain> earlierPreferences() = 0;
    virtual std::shared_ptr<DeviceKeyring> keyring() = 0;
    virtual std::shared_ptr<HarnessInventory> makeInventory() = 0;
    virtual std::shared_ptr<ModelCatalogCache> makeModelCatalogCache() = 0;
    virtual std::shared_ptr<LoginItem> makeLoginItem() = 0;
    virtual std::shared_ptr<CommandLineTool> makeCommandLineTool() = 0;
    /// Nothing when the picture folder cannot be named.
    virtual std::shared_ptr<OrganizationPhotoCache> makePhotoCache() = 0;
    virtual std::shared_ptr<OrganizationSockets> makeSockets() = 0;
    /// Nothing when there is no home folder.
    virtual std::shared_ptr<CommandLineLogins> makeCommandLineLogins() = 0;
    virtual std::shared_ptr<JobRunnerControl> makeRunner() = 0;
    /// Empties the staging folder of leftovers first.
    virtual std::shared_ptr<UpdateCoordinator> makeUpdates(std::shared_ptr<JobActivity> activity) = 0;
    /// Nothing when the enrollment file's location cannot be made.
    virtual std::shared_ptr<SavedEnrollments> makeSavedEnrollments() = 0;

    // Asked for when needed.
    /// The earlier single-enrollment file; nothing when its location cannot be made.
    virtual std::shared_ptr<EnrollmentStorage> earlierEnrollment() = 0;
    /// The key storage that moves the earlier single key item.
    virtual std::shared_ptr<DeviceKeyStorage> earlierKey() = 0;
    /// One HTTP transport per identity.
    virtual std::shared_ptr<HTTPTransport> makeTransport() = 0;
    /// One WebSocket dialer per connection.
    virtual std::shared_ptr<WebSocketDialer> makeDialer() = 0;
    virtual std::shared_ptr<MachineNaming> machineNaming() = 0;
    virtual std::shared_ptr<PowerEventSource> powerEvents() = 0;

    // What an add-on pass works with.
    /// The record of installed skills; nothing when its file cannot be named.
    virtual std::shared_ptr<InstalledSkillRecords> skillRecords() = 0;
    /// The process environment the tools start from.
    virtual Environment processEnvironment() = 0;
    virtual std::optional<std::filesystem::path> home() = 0;
    virtual std::shared_ptr<LoginPathResolving> loginPaths() = 0;
    virtual std::shared_ptr<ProcessRunning> processes() = 0;
    /// The pool for the passes' file work; null runs it in place.
    virtual boost::asio::thread_pool* blockingPool() = 0;
};

} // namespace velto
