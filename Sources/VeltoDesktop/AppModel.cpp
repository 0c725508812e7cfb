#include "VeltoDesktop/AppModel.hpp"

#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/MainThread.hpp"
#include "VeltoDevice/Support/Blocking.hpp"
#include "VeltoDevice/Support/RunOn.hpp"

#include <boost/asio/co_spawn.hpp>

#include <exception>

namespace velto {

namespace {

constexpr std::string_view pausedKey = "paused";

struct InventoryReading {
    HarnessInventory::Refresh refresh = HarnessInventory::Refresh::unchanged;
    std::vector<HarnessStatus> statuses;
    bool isDetecting = false;
};

boost::asio::awaitable<InventoryReading> refreshInventory(std::shared_ptr<HarnessInventory> inventory) {
    InventoryReading reading;
    reading.refresh = co_await inventory->refresh();
    reading.statuses = inventory->statuses();
    reading.isDetecting = inventory->isDetecting();
    co_return reading;
}

struct RunnerReading {
    bool isAvailable = false;
    int generation = 1;
};

boost::asio::awaitable<RunnerReading> readRunner(std::shared_ptr<JobRunnerControl> runner) {
    RunnerReading reading;
    reading.isAvailable = co_await runner->isAvailable();
    reading.generation = co_await runner->generation();
    co_return reading;
}

} // namespace

AppModel::AppModel(boost::asio::any_io_executor main, std::shared_ptr<AppServiceFactory> services)
    : main_(std::move(main)), services_(std::move(services)), device_(services_->deviceExecutor()),
      storage_(services_->storageExecutor()), environment_(services_->environment()) {
    organizations_ = std::make_unique<OrganizationListModel>();
    QObject::connect(organizations_.get(), &OrganizationListModel::rowsChanged, this,
                     &AppModel::organizationsChanged);
    preferences_ = std::make_unique<DevicePreferences>(services_->standardPreferences(),
                                                       services_->earlierPreferences());
    enrollmentForm_ = std::make_unique<EnrollmentForm>(services_->standardPreferences());
    keyStore_ = std::make_shared<SecureEnclaveKeyStore>(services_->keyring());
    inventory_ = services_->makeInventory();
    modelCatalogCache_ = services_->makeModelCatalogCache();
    loginItem_ = services_->makeLoginItem();
    commandLineTool_ = services_->makeCommandLineTool();
    agentPasses_ = std::make_shared<CoalescedPass>();
    photoCache_ = services_->makePhotoCache();
    connections_ = std::make_unique<OrganizationConnections>(main_, device_, services_->makeSockets());
    commandLineLogins_ = services_->makeCommandLineLogins();
    isPaused_ = preferences_->standard().boolean(pausedKey).value_or(false);
    runner_ = services_->makeRunner();
    updates_ = services_->makeUpdates(runner_->activity());
    if (auto saved = services_->makeSavedEnrollments())
        savedEnrollments_.emplace(storage_, *saved);
    loginItemState_ = loginItem_->state();
    commandLineToolState_ = commandLineTool_->state();
}

AppModel::~AppModel() = default;

void AppModel::spawn(boost::asio::awaitable<void> task) {
    boost::asio::co_spawn(main_, std::move(task), [](std::exception_ptr) {});
}

std::vector<Enrollment> AppModel::enrollments() const {
    std::vector<Enrollment> list;
    for (const auto& row : organizations())
        list.push_back(row.enrollment);
    return list;
}

OverallConnection AppModel::overallConnection() const {
    std::vector<ConnectionState> states;
    for (const auto& row : organizations())
        states.push_back(row.state);
    return velto::overallConnection(states);
}

SetupProgress AppModel::setupProgress() const {
    return velto::setupProgress(!organizations().empty(), preferences_->hasFinishedSetup());
}

std::vector<HarnessReport> AppModel::reportedHarnesses() const {
    auto reports = HarnessStatus::reports(harnesses_);
    return modelCatalog_ ? modelCatalog_->attach(reports) : reports;
}

DeviceMessage::Hello AppModel::helloSnapshot() const {
    DeviceMessage::Hello hello;
    hello.appVersion = environment_.appVersion;
    hello.harnesses = reportedHarnesses();
    hello.capacity =
        preferences_->lendsSubscriptions() && canRunJobs_ && !pendingUpdateVersion_ ? capacity : 0;
    hello.runner = runnerGeneration_;
    return hello;
}

boost::asio::awaitable<DeviceMessage::Hello> AppModel::makeHello() {
    assertOnMainThread();
    if (harnesses_.empty() || isDetectingHarnesses_)
        co_await refreshHarnesses();
    co_return helloSnapshot();
}

boost::asio::awaitable<void> AppModel::refreshHarnesses() {
    assertOnMainThread();
    assign(isDetectingHarnesses_, true, &AppModel::isDetectingHarnessesChanged);
    const bool couldRunJobs = canRunJobs_;
    const int earlierGeneration = runnerGeneration_;

    auto reading = readRunner(runner_);
    auto runner = co_await runOn(device_, std::move(reading));
    assign(canRunJobs_, runner.isAvailable, &AppModel::canRunJobsChanged);
    assign(runnerGeneration_, runner.generation, &AppModel::runnerGenerationChanged);

    auto refreshing = refreshInventory(inventory_);
    auto inventory = co_await runOn(device_, std::move(refreshing));
    assign(harnesses_, std::move(inventory.statuses), &AppModel::harnessesChanged);
    assign(isDetectingHarnesses_, inventory.isDetecting, &AppModel::isDetectingHarnessesChanged);

    refreshModelsInBackground();

    const bool runnerChanged = canRunJobs_ != couldRunJobs || runnerGeneration_ != earlierGeneration;
    if (inventory.refresh == HarnessInventory::Refresh::changed || runnerChanged)
        co_await announceHello();
}

boost::asio::awaitable<void> AppModel::announceHello() {
    assertOnMainThread();
    auto announcing = connections_->announce(helloSnapshot());
    co_await std::move(announcing);
}

boost::asio::awaitable<void> AppModel::applyConnectionWish() {
    assertOnMainThread();
    co_await connections_->apply(!isPaused_ && !isAsleep_ && !isQuitting_);
}

boost::asio::awaitable<void> AppModel::setPaused(bool paused) {
    assertOnMainThread();
    assign(isPaused_, paused, &AppModel::isPausedChanged);
    preferences_->standard().set(pausedKey, paused);
    co_await applyConnectionWish();
}

} // namespace velto
