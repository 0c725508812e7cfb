#include "VeltoDesktop/Model/AppModel.hpp"

#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/Model/AssignNotifying.hpp"
#include "VeltoDesktop/Model/MainThread.hpp"
#include "VeltoDevice/Support/RunOn.hpp"

#include <QPointer>

namespace velto {

namespace {

constexpr std::string_view pausedKey = "paused";

boost::asio::awaitable<DeviceMessage::Hello> helloOf(QPointer<AppModel> model, DeviceMessage::Hello empty) {
    if (!model)
        co_return empty;
    co_return co_await model->makeHello();
}

/// Called by a connection on the device io_context at each dial: the model's hello, made on the main
/// thread, or the empty one once the model is gone.
boost::asio::awaitable<DeviceMessage::Hello>
helloFromMain(boost::asio::any_io_executor main, QPointer<AppModel> model, DeviceMessage::Hello empty) {
    auto making = helloOf(std::move(model), std::move(empty));
    co_return co_await runOn(std::move(main), std::move(making));
}

} // namespace

AppModel::AppModel(boost::asio::any_io_executor main, std::shared_ptr<AppServiceFactory> services)
    : main_(std::move(main)), services_(std::move(services)), device_(services_->deviceExecutor()),
      environment_(services_->environment()), tasks_(*this, main_, appLog()) {
    preferences_ = std::make_unique<DevicePreferences>(services_->standardPreferences(),
                                                       services_->earlierPreferences());
    keyStore_ = std::make_shared<SecureEnclaveKeyStore>(services_->keyring());
    runner_ = services_->makeRunner();
    harnesses_ = std::make_unique<HarnessesModel>(main_, services_, runner_, *preferences_, announcing());
    loginItem_ = std::make_unique<LoginItemModel>(services_->makeLoginItem());
    commandLine_ = std::make_unique<CommandLineModel>(CommandLineModel::Dependencies{
        main_, device_, services_->storageExecutor(), services_->clock(), services_->makeCommandLineTool(),
        services_->makeCommandLineLogins(), [this] { return organizations_->deviceIds(); }});
    photos_ = std::make_unique<PhotosModel>(
        PhotosModel::Executors{main_, device_, services_->storageExecutor(), services_->blockingExecutor()},
        services_->makePhotoCache());
    connections_ = std::make_unique<OrganizationConnections>(main_, device_, services_->makeSockets());
    isPaused_ = preferences_->standard().boolean(pausedKey).value_or(false);
    updateCoordinator_ = services_->makeUpdates(runner_->activity());
    updates_ = std::make_unique<UpdatesModel>(main_, device_, runner_, updateCoordinator_);
    scopes_ =
        std::make_unique<ScopesModel>(device_, *commandLine_, [this] { return organizations_->deviceIds(); });
    DeviceConnection::MakeHello makeHello = [main = main_, model = QPointer<AppModel>(this),
                                             empty = environment_.emptyHello()] {
        return helloFromMain(main, model, empty);
    };
    auto applyWish = [model = QPointer<AppModel>(this)]() -> boost::asio::awaitable<void> {
        if (model)
            co_await model->applyConnectionWish();
    };
    organizations_ = std::make_unique<OrganizationsModel>(OrganizationsModel::Dependencies{
        main_, services_, keyStore_, runner_, updateCoordinator_, std::move(makeHello), std::move(applyWish),
        *connections_, *commandLine_, *photos_, *scopes_});
    enrollment_ = std::make_unique<EnrollmentModel>(EnrollmentModel::Dependencies{
        services_, keyStore_, environment_.appVersion, *organizations_, *harnesses_});
}

AppModel::~AppModel() = default;

std::function<boost::asio::awaitable<void>()> AppModel::announcing() {
    // The parts announce through the model while it lives.
    return [model = QPointer<AppModel>(this)]() -> boost::asio::awaitable<void> {
        if (model)
            co_await model->announceHello();
    };
}

void AppModel::spawn(std::string_view operation, boost::asio::awaitable<void> task) {
    tasks_.spawn(operation, std::move(task));
}

SetupProgress AppModel::setupProgress() const {
    return velto::setupProgress(!organizations_->rows().empty(), preferences_->hasFinishedSetup());
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
