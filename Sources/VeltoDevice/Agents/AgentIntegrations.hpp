#pragma once

#include "VeltoDevice/Agents/AgentDependencies.hpp"
#include "VeltoDevice/Agents/AgentIntegrationOutcome.hpp"
#include "VeltoDevice/Agents/PlannedIntegration.hpp"
#include "VeltoDevice/Enrollment/HarnessKind.hpp"

#include <boost/asio/awaitable.hpp>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velto {

/// Which add-ons belong to which harness, and the walk over one harness's plan.
struct AgentIntegrations {
    /// Claude Code: the plugin from "claude", always offered. Codex: a copied skill per name of
    /// `skillNames`, into the Codex skills folder. Muse: a Muse skill per name, into the Muse skills
    /// folder. A skill is offered when it is shipped.
    static std::vector<PlannedIntegration> plan(HarnessKind kind, const std::filesystem::path& executable,
                                                const AgentDependencies& dependencies);

    /// The shipped and the recorded names of the agent, without duplicates, ascending; only names that
    /// may be a skill folder (`isSkillName`).
    static std::vector<std::string> skillNames(HarnessKind kind, const AgentDependencies& dependencies);

    /// One path component (no "/", no NUL, not empty) that does not begin with "." or "-": a damaged or
    /// hostile record can neither reach outside the skills folder nor hand a tool an option.
    static bool isSkillName(std::string_view name);

    /// Reconciles each entry in order (wanted when chosen and offered), every one even after a failure,
    /// and folds the outcomes. Throws only cancellation.
    static boost::asio::awaitable<AgentIntegrationOutcome> reconcile(std::vector<PlannedIntegration> plan,
                                                                     bool isChosen);
};

} // namespace velto
