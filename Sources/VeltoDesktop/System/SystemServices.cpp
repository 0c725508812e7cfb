#include "VeltoDesktop/System/SystemServices.hpp"

#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/Model/AppModel.hpp"
#include "VeltoDesktop/Model/DeviceJobRunnerControl.hpp"
#include "VeltoDesktop/System/Hostname1Naming.hpp"
#include "VeltoDesktop/System/LinkHandlerEntry.hpp"
#include "VeltoDesktop/System/LogindPowerEvents.hpp"
#include "VeltoDevice/Agents/InstalledSkillRecordFile.hpp"
#include "VeltoDevice/CommandLineTool/SystemCommandLineLinks.hpp"
#include "VeltoDevice/Connection/BeastWebSocketDialer.hpp"
#include "VeltoDevice/Enrollment/EnrollmentListStore.hpp"
#include "VeltoDevice/Enrollment/EnrollmentStore.hpp"
#include "VeltoDevice/HTTP/BeastHTTPTransport.hpp"
#include "VeltoDevice/Harness/HarnessDetector.hpp"
#include "VeltoDevice/Harness/LoginShellPath.hpp"
#include "VeltoDevice/Harness/ProcessRunner.hpp"
#include "VeltoDevice/Keys/KeychainDeviceKeyring.hpp"
#include "VeltoDevice/Keys/MovedDeviceKey.hpp"
#include "VeltoDevice/LoginItem/SystemLoginItemService.hpp"
#include "VeltoDevice/Runner/JobFile.hpp"
#include "VeltoDevice/Runner/ModelCatalogCommand.hpp"
#include "VeltoDevice/Support/AppBundle.hpp"
#include "VeltoDevice/Support/BundleIdentifier.hpp"
#include "VeltoDevice/Support/DetachedProcessLauncher.hpp"
#include "VeltoDevice/Support/InfoDictionary.hpp"
#include "VeltoDevice/Support/InstallLocation.hpp"
#include "VeltoDevice/Support/LoggedCompletion.hpp"
#include "VeltoDevice/Support/PrivateTemporaryFolder.hpp"
#include "VeltoDevice/Support/SystemClock.hpp"
#include "VeltoDevice/Support/TemporaryFolderError.hpp"
#include "VeltoDevice/Support/UserFolders.hpp"
#include "VeltoDevice/Update/BeastUpdateDownloader.hpp"
#include "VeltoDevice/Update/BundleManifestVerification.hpp"
#include "VeltoDevice/Update/BundleSwapInstaller.hpp"
#include "VeltoDevice/Update/UpdateStager.hpp"
#include "VeltoDevice/Update/UpdateVerifier.hpp"

#include <boost/asio/co_spawn.hpp>
#include <boost/asio/post.hpp>

#include <exception>

namespace velto {

namespace {

std::shared_ptr<PreferencesDomain> domain(const char* identifier, boost::asio::any_io_executor writer) {
    auto file = PreferencesDomain::standardFile(identifier);
    return std::make_shared<PreferencesDomain>(file.value_or(std::filesystem::path()), std::move(writer));
}

} // namespace

SystemServices::SystemServices(DeviceThread& thread, Environment processEnvironment)
    : thread_(thread), processEnvironment_(std::move(processEnvironment)),
      environment_(DeviceEnvironment::read(AppBundle::running(), processEnvironment_)),
      storage_(thread_.storageStrand()), standard_(domain(kBundleIdentifier, storage_)),
      earlier_(domain(kEarlierBundleIdentifier, storage_)), trust_(TLSTrust::standard()) {
    // Reading the system's trust store takes tens of milliseconds: do it once, in the background,
    // before the first connection asks for it.
    boost::asio::post(thread_.blockingPool(), [trust = trust_] {
        try {
            trust->context();
        } catch (const std::exception&) {
            // The first connection reports it.
        }
    });
}

boost::asio::any_io_executor SystemServices::deviceExecutor() {
    return thread_.executor();
}

boost::asio::any_io_executor SystemServices::blockingExecutor() {
    return thread_.blockingPool().get_executor();
}

std::shared_ptr<Clock> SystemServices::clock() {
    return SystemClock::shared();
}

std::shared_ptr<DeviceKeyring> SystemServices::keyring() {
    return KeychainDeviceKeyring::standard();
}

std::shared_ptr<HarnessInventory> SystemServices::makeInventory() {
    auto runner = std::make_shared<ProcessRunner>(clock(), blockingExecutor());
    return std::make_shared<HarnessInventory>(deviceExecutor(), HarnessDetector(runner, processEnvironment_));
}

std::shared_ptr<ModelCatalogCache> SystemServices::makeModelCatalogCache() {
    auto runner = std::make_shared<ProcessRunner>(clock(), blockingExecutor());
    ModelCatalogCommand command(environment_.runnerScript, processEnvironment_,
                                std::make_shared<LoginShellPath>(runner), runner);
    return std::make_shared<ModelCatalogCache>(deviceExecutor(), clock(), std::move(command));
}

std::shared_ptr<OrganizationPhotoCache> SystemServices::makePhotoCache() {
    try {
        return std::make_shared<OrganizationPhotoCache>(OrganizationPhotoCache::applicationSupport(storage_));
    } catch (const std::exception&) {
        return nullptr;
    }
}

std::shared_ptr<OrganizationSockets> SystemServices::makeSockets() {
    return std::make_shared<OrganizationSockets>();
}

std::shared_ptr<JobRunnerControl> SystemServices::makeRunner() {
    // The documents of jobs a crash left behind; this is the one running instance.
    try {
        JobFile::removeLeftovers(PrivateTemporaryFolder::path());
    } catch (const TemporaryFolderError&) {
        // No private folder: no job runs from it either.
    }
    auto processes = std::make_shared<ProcessRunner>(clock(), blockingExecutor());
    auto runner =
        std::make_shared<DeviceJobRunner>(deviceExecutor(), environment_.runnerScript, processEnvironment_,
                                          static_cast<std::size_t>(AppModel::capacity),
                                          std::make_shared<LoginShellPath>(processes), processes, clock());
    return std::make_shared<DeviceJobRunnerControl>(std::move(runner));
}

std::shared_ptr<UpdateCoordinator> SystemServices::makeUpdates(std::shared_ptr<JobActivity> activity) {
    UpdateVerifier verifier(environment_.appVersion, environment_.updatePublicKey);
    auto signatureCheck =
        std::make_shared<BundleManifestVerification>(verifier.publicKey(), thread_.blockingPool(), clock());
    auto stager =
        std::make_shared<UpdateStager>(environment_.updateStagingFolder, environment_.bundleIdentifier,
                                       std::make_shared<BeastUpdateDownloader>(BeastUpdateDownloader::Options{
                                           .trust = trust_, .writer = blockingExecutor()}),
                                       signatureCheck, thread_.blockingPool(), clock());
    // Leftovers of an earlier run can be a whole unpacked bundle: removed in the background, ahead of
    // the folder of the first attempt.
    boost::asio::post(stager->folders(), [stager] { stager->removeLeftovers(); });
    std::optional<InstallLocationProblem> problem = InstallLocationProblem::notAppBundle;
    std::filesystem::path bundle;
    if (environment_.bundle) {
        bundle = *environment_.bundle;
        problem = InstallLocation::problem(bundle);
    }
    auto installer = std::make_shared<BundleSwapInstaller>(
        bundle, std::make_shared<DetachedProcessLauncher>(deviceExecutor(), processEnvironment_));
    return std::make_shared<UpdateCoordinator>(deviceExecutor(), std::move(verifier), problem,
                                               std::move(stager), std::move(installer), std::move(activity));
}

std::shared_ptr<SavedEnrollments> SystemServices::makeSavedEnrollments() {
    try {
        auto store = std::make_shared<EnrollmentListStore>(EnrollmentListStore::applicationSupport());
        return std::make_shared<SavedEnrollments>(keyring(), std::move(store));
    } catch (const std::exception&) {
        return nullptr;
    }
}

std::shared_ptr<EnrollmentStorage> SystemServices::earlierEnrollment() {
    try {
        return std::make_shared<EnrollmentStore>(EnrollmentStore::applicationSupport());
    } catch (const std::exception&) {
        return nullptr;
    }
}

std::shared_ptr<DeviceKeyStorage> SystemServices::earlierKey() {
    return MovedDeviceKey::standard();
}

std::shared_ptr<HTTPTransport> SystemServices::makeTransport() {
    return std::make_shared<BeastHTTPTransport>(BeastHTTPTransport::Options{.trust = trust_});
}

std::shared_ptr<WebSocketDialer> SystemServices::makeDialer() {
    return std::make_shared<BeastWebSocketDialer>(deviceExecutor(),
                                                  BeastWebSocketDialer::Options{.trust = trust_});
}

std::shared_ptr<MachineNaming> SystemServices::machineNaming() {
    return std::make_shared<Hostname1Naming>();
}

std::shared_ptr<PowerEventSource> SystemServices::powerEvents() {
    return std::make_shared<LogindPowerEvents>();
}

void SystemServices::registerLinkHandler() {
    if (!environment_.bundle)
        return;
    auto problem = InstallLocation::problem(*environment_.bundle);
    auto folder = LinkHandlerEntry::standardFolder();
    auto name = InfoDictionary::read(AppBundle::infoPlist(*environment_.bundle)).text("CFBundleExecutable");
    if ((problem && *problem != InstallLocationProblem::notWritable) || !folder || !name)
        return;
    LinkHandlerEntry entry(AppBundle::executable(*environment_.bundle, *name), *folder);
    try {
        entry.writeIfDifferent();
    } catch (const std::exception& error) {
        appLog().error(std::string("could not write the link handler's entry: ") + error.what());
        return;
    }
    boost::asio::co_spawn(
        deviceExecutor(),
        [](std::shared_ptr<ProcessRunning> runner, Environment environment) -> boost::asio::awaitable<void> {
            co_await LinkHandlerEntry::claimScheme(*runner, std::move(environment));
        }(processes(), processEnvironment_),
        LoggedCompletion(appLog(), "claim the link scheme"));
}

std::shared_ptr<LoginItem> SystemServices::makeLoginItem() {
    std::shared_ptr<LoginItemService> service;
    std::optional<std::filesystem::path> executable;
    if (environment_.bundle) {
        auto info = InfoDictionary::read(AppBundle::infoPlist(*environment_.bundle));
        if (auto name = info.text("CFBundleExecutable"))
            executable = AppBundle::executable(*environment_.bundle, *name);
    }
    try {
        if (executable)
            service = std::make_shared<SystemLoginItemService>(*executable);
    } catch (const std::exception&) {
        // No home folder: this copy cannot open at login.
    }
    if (!service || !environment_.bundle)
        return std::make_shared<LoginItem>(std::move(service), false);
    return std::make_shared<LoginItem>(LoginItem::inBundle(std::move(service), *environment_.bundle));
}

std::shared_ptr<CommandLineTool> SystemServices::makeCommandLineTool() {
    auto links = std::make_shared<SystemCommandLineLinks>(processes());
    if (!environment_.bundle || !environment_.commandLineTool)
        return std::make_shared<CommandLineTool>(std::move(links), std::nullopt,
                                                 CommandLineTool::standardLink());
    return std::make_shared<CommandLineTool>(CommandLineTool::inBundle(std::move(links), *environment_.bundle,
                                                                       *environment_.commandLineTool,
                                                                       CommandLineTool::standardLink()));
}

std::shared_ptr<CommandLineLogins> SystemServices::makeCommandLineLogins() {
    try {
        return std::make_shared<CommandLineLogins>(CommandLineLogins::inHome());
    } catch (const std::exception&) {
        return nullptr;
    }
}

std::shared_ptr<InstalledSkillRecords> SystemServices::skillRecords() {
    try {
        return std::make_shared<InstalledSkillRecordFile>(InstalledSkillRecordFile::applicationSupport());
    } catch (const std::exception&) {
        return nullptr;
    }
}

std::optional<std::filesystem::path> SystemServices::home() {
    return UserFolders::home();
}

std::shared_ptr<LoginPathResolving> SystemServices::loginPaths() {
    return std::make_shared<LoginShellPath>(processes());
}

std::shared_ptr<ProcessRunning> SystemServices::processes() {
    if (!processes_)
        processes_ = std::make_shared<ProcessRunner>(clock(), blockingExecutor());
    return processes_;
}

} // namespace velto
