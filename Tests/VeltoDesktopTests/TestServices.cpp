#include "TestServices.hpp"

#include "VeltoDevice/CommandLineTool/SystemCommandLineLinks.hpp"
#include "VeltoDevice/Keys/P256PrivateKey.hpp"
#include "VeltoDevice/Keys/SecureEnclaveKeyStore.hpp"
#include "VeltoDevice/LoginItem/SystemLoginItemService.hpp"

#include <stdexcept>

namespace velto::testing {

namespace {

struct NoStaging final : UpdateStaging {
    static boost::asio::awaitable<StagedUpdate> never() { throw std::logic_error("unreachable"); }
    boost::asio::awaitable<StagedUpdate> stage(VerifiedUpdate) override {
        throw std::runtime_error("no staging in these tests");
        co_return co_await never();
    }
    void discard(const StagedUpdate&) override {}
};

struct FixedLoginPath final : LoginPathResolving {
    boost::asio::awaitable<std::string> resolve(Environment) override { co_return "/usr/bin:/bin"; }
};

struct NoInstalling final : UpdateInstalling {
    void install(const StagedUpdate&) override {}
};

} // namespace

TestServices::TestServices(DesktopTestLoop& loop) : loop_(loop) {
    deviceEnvironment.appVersion = "1.4.2";
    deviceEnvironment.bundleIdentifier = "app.velto.desktop";
    standard =
        std::make_shared<PreferencesDomain>(folder.path() / "config" / "Velto" / "app.velto.desktop.json");
    earlier =
        std::make_shared<PreferencesDomain>(folder.path() / "config" / "Velto" / "app.velto.agent.json");
    photoCache = std::make_shared<OrganizationPhotoCache>(folder.path() / "data" / "Velto" / "photos",
                                                          loop.deviceExecutor());
    listStore = std::make_shared<EnrollmentListStore>(folder.path() / "data" / "Velto" / "enrollments.json");
    savedEnrollments = std::make_shared<SavedEnrollments>(keys, listStore);
    earlierStore = std::make_shared<EnrollmentStore>(folder.path() / "data" / "Velto" / "enrollment.json");
    processRunner = std::make_shared<ProcessRunner>(manualClock);
    paths = std::make_shared<FixedLoginPath>();
    loginItem = std::make_shared<LoginItem>(
        std::make_shared<SystemLoginItemService>(folder.path() / "Velto.app" / "Contents" / "bin" / "Velto",
                                                 folder.path() / "config" / "autostart"),
        true);
    commandLineTool = std::make_shared<CommandLineTool>(
        std::make_shared<SystemCommandLineLinks>(processRunner),
        folder.path() / "Velto.app" / "Contents" / "Resources" / "velto", folder.path() / "bin" / "velto");
    logins = std::make_shared<CommandLineLogins>(folder.path() / "home" / ".velto" / "device-logins.json");
}

std::shared_ptr<HarnessInventory> TestServices::makeInventory() {
    return std::make_shared<HarnessInventory>(loop_.deviceExecutor(),
                                              [this]() -> boost::asio::awaitable<std::vector<HarnessStatus>> {
                                                  ++detections;
                                                  co_return detected;
                                              });
}

std::shared_ptr<ModelCatalogCache> TestServices::makeModelCatalogCache() {
    return std::make_shared<ModelCatalogCache>(
        loop_.deviceExecutor(), manualClock, [this]() -> boost::asio::awaitable<std::optional<ModelCatalog>> {
            ++catalogFetches;
            co_return catalog;
        });
}

std::shared_ptr<UpdateCoordinator> TestServices::makeUpdates(std::shared_ptr<JobActivity> activity) {
    updates = std::make_shared<UpdateCoordinator>(
        loop_.deviceExecutor(), UpdateVerifier("1.4.2", std::nullopt), std::nullopt,
        std::make_shared<NoStaging>(), std::make_shared<NoInstalling>(), std::move(activity));
    return updates;
}

void TestServices::save(const std::vector<Enrollment>& enrollments) {
    SecureEnclaveKeyStore store(keys);
    for (const auto& enrollment : enrollments)
        keys->storage(enrollment.deviceId)->setContents(store.makeKey().dataRepresentation());
    listStore->save(enrollments);
}

} // namespace velto::testing
