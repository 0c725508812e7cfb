#pragma once

#include "VeltoDesktop/Model/AppServiceFactory.hpp"
#include "VeltoDesktop/Model/DevicePreferences.hpp"
#include "VeltoDesktop/Model/OwnedTasks.hpp"
#include "VeltoDevice/Agents/AgentDependencies.hpp"
#include "VeltoDevice/Agents/AgentIntegrationOutcome.hpp"
#include "VeltoDevice/Agents/CoalescedPass.hpp"
#include "VeltoDevice/Harness/HarnessStatus.hpp"
#include "VeltoDevice/Runner/ModelCatalog.hpp"

#include <boost/asio/awaitable.hpp>

#include <QObject>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace velto {

/// The coding harnesses of this machine as the hello reports them: what is installed and signed in,
/// whether the runner can run jobs, the catalog's models, and each harness's add-on brought to the
/// user's choice. Main thread; the inventory, the runner and the passes live on the device executor.
class HarnessesModel final : public QObject {
    Q_OBJECT

public:
    using Announce = std::function<boost::asio::awaitable<void>()>;

    /// `announce` tells every organization the hello again, after a change it reports.
    HarnessesModel(boost::asio::any_io_executor main, std::shared_ptr<AppServiceFactory> services,
                   std::shared_ptr<JobRunnerControl> runner, DevicePreferences& preferences,
                   Announce announce);

    const std::vector<HarnessStatus>& statuses() const { return statuses_; }
    bool isDetecting() const { return isDetecting_; }
    bool canRunJobs() const { return canRunJobs_; }
    int runnerGeneration() const { return runnerGeneration_; }
    const std::map<HarnessKind, AgentIntegrationOutcome>& agentOutcomes() const { return agentOutcomes_; }
    /// One per installed harness, with the catalog's models.
    std::vector<HarnessReport> reports() const;

    /// Detects again and reads the runner; announces when either changed.
    boost::asio::awaitable<void> refresh();
    void refreshModelsInBackground();

    /// The bundle's add-on folder, unless this copy runs outside an app bundle, translocated or from a
    /// read-only volume.
    std::optional<std::filesystem::path> agentResources() const;
    boost::asio::awaitable<void> setWorksWith(HarnessKind kind, bool worksWith);
    /// One add-on pass through the coalescing pass: passes never overlap.
    boost::asio::awaitable<void> reconcileAgents();

Q_SIGNALS:
    void statusesChanged();
    void isDetectingChanged();
    void canRunJobsChanged();
    void runnerGenerationChanged();
    void agentOutcomesChanged();

private:
    boost::asio::awaitable<void> refreshModels(std::vector<HarnessReport> reports);
    boost::asio::awaitable<void> reconcileAgentsOnce();
    boost::asio::awaitable<void> reconcile(HarnessStatus status, AgentDependencies surroundings);
    void setAgentOutcome(HarnessKind kind, std::optional<AgentIntegrationOutcome> outcome);

    boost::asio::any_io_executor main_;
    std::shared_ptr<AppServiceFactory> services_;
    boost::asio::any_io_executor device_;
    std::shared_ptr<JobRunnerControl> runner_;
    DevicePreferences& preferences_;
    Announce announce_;
    std::shared_ptr<HarnessInventory> inventory_;
    std::shared_ptr<ModelCatalogCache> catalogCache_;
    std::optional<ModelCatalog> catalog_;
    std::shared_ptr<CoalescedPass> agentPasses_ = std::make_shared<CoalescedPass>();
    std::vector<HarnessStatus> statuses_;
    bool isDetecting_ = false;
    bool canRunJobs_ = false;
    int runnerGeneration_ = 1;
    std::map<HarnessKind, AgentIntegrationOutcome> agentOutcomes_;
    OwnedTasks tasks_;
};

} // namespace velto
