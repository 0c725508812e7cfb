#include "VeltoDevice/Agents/AgentIntegrationOutcome.hpp"

#include <algorithm>
#include <array>

namespace velto {

AgentIntegrationOutcome
AgentIntegrationOutcome::combined(const std::vector<AgentIntegrationOutcome>& outcomes) {
    auto failure = std::find_if(outcomes.begin(), outcomes.end(), [](const AgentIntegrationOutcome& outcome) {
        return outcome.kind == Case::failed;
    });
    if (failure != outcomes.end())
        return *failure;
    static constexpr std::array precedence{Case::installed, Case::updated, Case::removed, Case::kept};
    for (Case kind : precedence) {
        if (std::any_of(outcomes.begin(), outcomes.end(),
                        [kind](const AgentIntegrationOutcome& outcome) { return outcome.kind == kind; }))
            return {kind, {}};
    }
    return unchanged();
}

std::string_view caseName(AgentIntegrationOutcome::Case kind) {
    using Case = AgentIntegrationOutcome::Case;
    switch (kind) {
    case Case::failed:
        return "failed";
    case Case::unchanged:
        return "unchanged";
    case Case::installed:
        return "installed";
    case Case::updated:
        return "updated";
    case Case::removed:
        return "removed";
    case Case::kept:
        return "kept";
    }
    return "unchanged";
}

} // namespace velto
