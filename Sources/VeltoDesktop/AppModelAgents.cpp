// Agent add-ons: each installed harness's add-on brought to the user's choice.
#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/AppModel.hpp"
#include "VeltoDesktop/MainThread.hpp"
#include "VeltoDevice/Agents/AgentIntegrations.hpp"
#include "VeltoDevice/Runner/RunnerScriptCommand.hpp"
#include "VeltoDevice/Support/Blocking.hpp"
#include "VeltoDevice/Support/InstallLocation.hpp"
#include "VeltoDevice/Support/RunOn.hpp"

#include <QPointer>

namespace velto {

std::optional<std::filesystem::path> AppModel::agentResources() const {
    if (!environment_.agentResources || !environment_.bundle)
        return std::nullopt;
    auto problem = InstallLocation::problem(*environment_.bundle);
    if (problem && *problem != InstallLocationProblem::notWritable)
        return std::nullopt;
    return environment_.agentResources;
}

void AppModel::setAgentOutcome(HarnessKind kind, std::optional<AgentIntegrationOutcome> outcome) {
    auto outcomes = agentOutcomes_;
    if (outcome)
        outcomes.insert_or_assign(kind, std::move(*outcome));
    else
        outcomes.erase(kind);
    assign(agentOutcomes_, std::move(outcomes), &AppModel::agentOutcomesChanged);
}

boost::asio::awaitable<void> AppModel::setWorksWith(HarnessKind kind, bool worksWith) {
    assertOnMainThread();
    auto chosen = preferences_->monitoredAgents();
    if (worksWith)
        chosen.insert(kind);
    else
        chosen.erase(kind);
    preferences_->setMonitoredAgents(std::move(chosen));
    co_await reconcileAgents();
}

boost::asio::awaitable<void> AppModel::reconcileAgents() {
    assertOnMainThread();
    // The pass lives on the device io_context; each body it runs hops back here for the model.
    CoalescedPass::Body body = [main = main_,
                                model = QPointer<AppModel>(this)]() -> boost::asio::awaitable<void> {
        auto once = [](QPointer<AppModel> owner) -> boost::asio::awaitable<void> {
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

boost::asio::awaitable<void> AppModel::reconcileAgentsOnce() {
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
    const auto statuses = harnesses_;
    for (const auto& status : statuses)
        co_await reconcile(status, surroundings);
}

boost::asio::awaitable<void> AppModel::reconcile(HarnessStatus status, AgentDependencies surroundings) {
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
    const bool isChosen = preferences_->monitoredAgents().count(status.kind) > 0;
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
