#include "VeltoDesktop/Model/AppModel.hpp"

#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/Model/MainThread.hpp"
#include "VeltoDevice/Support/RunOn.hpp"

#include <QPointer>
#include <exception>

namespace velto {

namespace {

constexpr std::string_view pausedKey = "paused";

} // namespace

AppModel::AppModel(boost::asio::any_io_executor main, std::shared_ptr<AppServiceFactory> services)
    : main_(std::move(main)), services_(std::move(services)), device_(services_->deviceExecutor()),
      storage_(services_->storageExecutor()), environment_(services_->environment()),
      tasks_(*this, main_, appLog()) {
    organizations_ = std::make_unique<OrganizationListModel>();
    QObject::connect(organizations_.get(), &OrganizationListModel::rowsChanged, this,
                     &AppModel::organizationsChanged);
    preferences_ = std::make_unique<DevicePreferences>(services_->standardPreferences(),
                                                       services_->earlierPreferences());
    enrollmentForm_ = std::make_unique<EnrollmentForm>(services_->standardPreferences());
    keyStore_ = std::make_shared<SecureEnclaveKeyStore>(services_->keyring());
    runner_ = services_->makeRunner();
    // The parts announce through the model while it lives.
    auto announce = [model = QPointer<AppModel>(this)]() -> boost::asio::awaitable<void> {
        if (model)
            co_await model->announceHello();
    };
    harnesses_ = std::make_unique<HarnessesModel>(main_, services_, runner_, *preferences_, announce);
    loginItem_ = std::make_unique<LoginItemModel>(services_->makeLoginItem());
    commandLine_ = std::make_unique<CommandLineModel>(CommandLineModel::Dependencies{
        main_, device_, storage_, services_->clock(), services_->makeCommandLineTool(),
        services_->makeCommandLineLogins(), [this] {
            std::vector<std::string> ids;
            for (const auto& row : organizations())
                ids.push_back(row.id());
            return ids;
        }});
    photoCache_ = services_->makePhotoCache();
    connections_ = std::make_unique<OrganizationConnections>(main_, device_, services_->makeSockets());
    isPaused_ = preferences_->standard().boolean(pausedKey).value_or(false);
    updateCoordinator_ = services_->makeUpdates(runner_->activity());
    updates_ = std::make_unique<UpdatesModel>(main_, device_, runner_, updateCoordinator_);
    if (auto saved = services_->makeSavedEnrollments())
        savedEnrollments_.emplace(storage_, *saved);
}

AppModel::~AppModel() = default;

void AppModel::spawn(std::string_view operation, boost::asio::awaitable<void> task) {
    tasks_.spawn(operation, std::move(task));
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

DeviceMessage::Hello AppModel::helloSnapshot() const {
    DeviceMessage::Hello hello;
    hello.appVersion = environment_.appVersion;
    hello.harnesses = harnesses_->reports();
    hello.capacity =
        preferences_->lendsSubscriptions() && harnesses_->canRunJobs() && !updates_->pendingVersion()
            ? capacity
            : 0;
    hello.runner = harnesses_->runnerGeneration();
    return hello;
}

boost::asio::awaitable<DeviceMessage::Hello> AppModel::makeHello() {
    assertOnMainThread();
    if (harnesses_->statuses().empty() || harnesses_->isDetecting())
        co_await harnesses_->refresh();
    co_return helloSnapshot();
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
    assignNotifying(*this, isPaused_, paused, &AppModel::isPausedChanged);
    preferences_->standard().set(pausedKey, paused);
    co_await applyConnectionWish();
}

} // namespace velto
