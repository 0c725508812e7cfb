#include "VeltoDesktop/Model/HarnessesModel.hpp"

#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/Model/AssignNotifying.hpp"
#include "VeltoDesktop/Model/MainThread.hpp"
#include "VeltoDevice/Agents/AgentIntegrations.hpp"
#include "VeltoDevice/Runner/RunnerScriptCommand.hpp"
#include "VeltoDevice/Support/Blocking.hpp"
#include "VeltoDevice/Support/InstallLocation.hpp"
#include "VeltoDevice/Support/RunOn.hpp"

#include <QPointer>

namespace velto {

namespace {

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

struct CatalogReading {
    ModelCatalogCache::Refresh refresh = ModelCatalogCache::Refresh::unchanged;
    std::optional<ModelCatalog> catalog;
};

boost::asio::awaitable<CatalogReading> refreshCatalog(std::shared_ptr<ModelCatalogCache> cache,
                                                      std::vector<HarnessReport> reports) {
    CatalogReading reading;
    reading.refresh = co_await cache->refresh(std::move(reports));
    reading.catalog = cache->catalog();
    co_return reading;
}

} // namespace

HarnessesModel::HarnessesModel(boost::asio::any_io_executor main, std::shared_ptr<AppServiceFactory> services,
                               std::shared_ptr<JobRunnerControl> runner, DevicePreferences& preferences,
                               Announce announce)
    : main_(std::move(main)), services_(std::move(services)), device_(services_->deviceExecutor()),
      runner_(std::move(runner)), preferences_(preferences), announce_(std::move(announce)),
      inventory_(services_->makeInventory()), catalogCache_(services_->makeModelCatalogCache()),
      tasks_(*this, main_, appLog()) {}

std::vector<HarnessReport> HarnessesModel::reports() const {
    auto reports = HarnessStatus::reports(statuses_);
    return catalog_ ? catalog_->attach(reports) : reports;
}

boost::asio::awaitable<void> HarnessesModel::refresh() {
    assertOnMainThread();
    assignNotifying(*this, isDetecting_, true, &HarnessesModel::isDetectingChanged);
    const bool couldRunJobs = canRunJobs_;
    const int earlierGeneration = runnerGeneration_;

    auto reading = readRunner(runner_);
    auto runner = co_await runOn(device_, std::move(reading));
    assignNotifying(*this, canRunJobs_, runner.isAvailable, &HarnessesModel::canRunJobsChanged);
    assignNotifying(*this, runnerGeneration_, runner.generation, &HarnessesModel::runnerGenerationChanged);

    auto refreshing = refreshInventory(inventory_);
    auto inventory = co_await runOn(device_, std::move(refreshing));
    assignNotifying(*this, statuses_, std::move(inventory.statuses), &HarnessesModel::statusesChanged);
    assignNotifying(*this, isDetecting_, inventory.isDetecting, &HarnessesModel::isDetectingChanged);

    refreshModelsInBackground();

    const bool runnerChanged = canRunJobs_ != couldRunJobs || runnerGeneration_ != earlierGeneration;
    if (inventory.refresh == HarnessInventory::Refresh::changed || runnerChanged)
        co_await announce_();
}

void HarnessesModel::refreshModelsInBackground() {
    assertOnMainThread();
    auto reports = HarnessStatus::reports(statuses_);
    tasks_.spawn("refresh the model catalog", refreshModels(std::move(reports)));
}

boost::asio::awaitable<void> HarnessesModel::refreshModels(std::vector<HarnessReport> reports) {
    assertOnMainThread();
    auto refreshing = refreshCatalog(catalogCache_, std::move(reports));
    auto reading = co_await runOn(device_, std::move(refreshing));
    if (reading.refresh != ModelCatalogCache::Refresh::changed)
        co_return;
    catalog_ = std::move(reading.catalog);
    co_await announce_();
}

std::optional<std::filesystem::path> HarnessesModel::agentResources() const {
    if (!services_->environment().agentResources || !services_->environment().bundle)
        return std::nullopt;
    auto problem = InstallLocation::problem(*services_->environment().bundle);
    if (problem && *problem != InstallLocationProblem::notWritable)
        return std::nullopt;
    return services_->environment().agentResources;
}

void HarnessesModel::setAgentOutcome(HarnessKind kind, std::optional<AgentIntegrationOutcome> outcome) {
    auto outcomes = agentOutcomes_;
    if (outcome)
        outcomes.insert_or_assign(kind, std::move(*outcome));
    else
        outcomes.erase(kind);
    assignNotifying(*this, agentOutcomes_, std::move(outcomes), &HarnessesModel::agentOutcomesChanged);
}

boost::asio::awaitable<void> HarnessesModel::setWorksWith(HarnessKind kind, bool worksWith) {
    assertOnMainThread();
    auto chosen = preferences_.monitoredAgents();
    if (worksWith)
        chosen.insert(kind);
    else
        chosen.erase(kind);
    preferences_.setMonitoredAgents(std::move(chosen));
    co_await reconcileAgents();
}

boost::asio::awaitable<void> HarnessesModel::reconcileAgents() {
    assertOnMainThread();
    // The pass lives on the device io_context; each body it runs hops back here for the model.
    CoalescedPass::Body body = [main = main_,
                                model = QPointer<HarnessesModel>(this)]() -> boost::asio::awaitable<void> {
        auto once = [](QPointer<HarnessesModel> owner) -> boost::asio::awaitable<void> {
            if (owner)
                co_await owner->reconcileAgentsOnce();
        }(model);
        co_await runOn(main, std::move(once));
    };
    auto passing = [](std::shared_ptr<CoalescedPass> passes,
                      CoalescedPass::Body pass) -> boost::asio::awaitable<void> {
        co_await passes->run(std::move(pass));
    }(agentPasses_, std::move(body));
    co_await runOn(device_, std::move(passing));
}

boost::asio::awaitable<void> HarnessesModel::reconcileAgentsOnce() {
    assertOnMainThread();
    auto resources = agentResources();
    if (!resources)
        co_return;
    auto records = services_->skillRecords();
    auto home = services_->home();
    if (!records || !home)
        co_return;
    auto environment = services_->processEnvironment();
    auto resolving = [](std::shared_ptr<LoginPathResolving> paths,
                        Environment env) -> boost::asio::awaitable<std::string> {
        co_return co_await paths->resolve(std::move(env));
    }(services_->loginPaths(), environment);
    auto path = co_await runOn(device_, std::move(resolving));
    AgentDependencies surroundings{*resources,
                                   RunnerScriptCommand::withPath(std::move(environment), path),
                                   *home,
                                   std::move(records),
                                   services_->blockingPool(),
                                   services_->processes()};
    const auto statuses = statuses_;
    for (const auto& status : statuses)
        co_await reconcile(status, surroundings);
}

boost::asio::awaitable<void> HarnessesModel::reconcile(HarnessStatus status, AgentDependencies surroundings) {
    assertOnMainThread();
    const auto* installed = status.installedTool();
    if (!installed) {
        setAgentOutcome(status.kind, std::nullopt);
        co_return;
    }
    // The plan lists the shipped skills' folder and reads the skill records: not on the main thread.
    auto planning = [kind = status.kind, executable = installed->executable, surroundings] {
        return AgentIntegrations::plan(kind, executable, surroundings);
    };
    auto plan = co_await runBlocking(services_->blockingExecutor(), std::move(planning));
    const bool isChosen = preferences_.monitoredAgents().count(status.kind) > 0;
    auto reconciling = AgentIntegrations::reconcile(std::move(plan), isChosen);
    auto outcome = co_await runOn(device_, std::move(reconciling));
    setAgentOutcome(status.kind, outcome);
    const std::string kind(rawValue(status.kind));
    if (outcome.kind == AgentIntegrationOutcome::Case::failed)
        appLog().error("could not bring " + kind + " to its setting: " + outcome.reason);
    else
        appLog().info(kind + " agent integration: " + std::string(caseName(outcome.kind)));
}

} // namespace velto
