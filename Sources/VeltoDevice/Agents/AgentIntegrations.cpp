#include "VeltoDevice/Agents/AgentIntegrations.hpp"

#include "VeltoDevice/Agents/AgentReconciler.hpp"
#include "VeltoDevice/Agents/ClaudePlugin.hpp"
#include "VeltoDevice/Agents/CopiedSkill.hpp"
#include "VeltoDevice/Agents/MuseSkill.hpp"

#include <algorithm>

namespace velto {

std::vector<PlannedIntegration> AgentIntegrations::plan(HarnessKind kind,
                                                        const std::filesystem::path& executable,
                                                        const AgentDependencies& dependencies) {
    std::vector<PlannedIntegration> planned;
    if (kind == HarnessKind::claudeCode) {
        planned.push_back({std::make_shared<ClaudePlugin>(dependencies.resources / "claude",
                                                          dependencies.command(executable)),
                           true});
        return planned;
    }
    const auto shipped = dependencies.shippedSkills();
    const auto names = skillNames(kind, dependencies);
    if (names.empty())
        return planned;
    const auto skillsFolder = dependencies.resources / "skills";
    std::shared_ptr<AgentCommandRunning> command;
    if (kind == HarnessKind::muse)
        command = dependencies.command(executable);
    for (const auto& name : names) {
        bool isOffered = std::binary_search(shipped.begin(), shipped.end(), name);
        std::shared_ptr<AgentIntegration> integration;
        if (kind == HarnessKind::codex) {
            integration = std::make_shared<CopiedSkill>(
                InstalledSkill{HarnessKind::codex, name}, skillsFolder / name,
                CopiedSkill::codexSkills(dependencies.environment, dependencies.home) / name,
                dependencies.records, dependencies.blocking);
        } else {
            integration = std::make_shared<MuseSkill>(
                name, skillsFolder / name,
                MuseSkill::skills(dependencies.environment, dependencies.home) / name, command,
                dependencies.records, dependencies.blocking);
        }
        planned.push_back({std::move(integration), isOffered});
    }
    return planned;
}

std::vector<std::string> AgentIntegrations::skillNames(HarnessKind kind,
                                                       const AgentDependencies& dependencies) {
    std::vector<std::string> names = dependencies.shippedSkills();
    auto recorded = dependencies.records ? dependencies.records->names(kind) : std::vector<std::string>{};
    names.insert(names.end(), recorded.begin(), recorded.end());
    std::erase_if(names, [](const std::string& name) { return !isSkillName(name); });
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

bool AgentIntegrations::isSkillName(std::string_view name) {
    return !name.empty() && name.front() != '.' && name.front() != '-' &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

boost::asio::awaitable<AgentIntegrationOutcome>
AgentIntegrations::reconcile(std::vector<PlannedIntegration> plan, bool isChosen) {
    std::vector<AgentIntegrationOutcome> outcomes;
    outcomes.reserve(plan.size());
    for (const auto& entry : plan) {
        auto reconciling = AgentReconciler::reconcile(*entry.integration, isChosen && entry.isOffered);
        outcomes.push_back(co_await std::move(reconciling));
    }
    co_return AgentIntegrationOutcome::combined(outcomes);
}

} // namespace velto
