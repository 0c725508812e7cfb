#include "VeltoDesktop/Views/IntegrationStates.hpp"

namespace velto {

void IntegrationStates::setLoginItem(LoginItemState state, std::optional<std::string> refusal) {
    if (state == loginItemState_ && refusal == loginItemRefusal_)
        return;
    loginItemState_ = state;
    loginItemRefusal_ = std::move(refusal);
    Q_EMIT loginItemChanged();
}

void IntegrationStates::setCommandLineTool(CommandLineToolState state, std::optional<std::string> refusal,
                                           bool isInstalling) {
    if (state == commandLineToolState_ && refusal == commandLineToolRefusal_ &&
        isInstalling == isInstallingCommandLineTool_)
        return;
    commandLineToolState_ = state;
    commandLineToolRefusal_ = std::move(refusal);
    isInstallingCommandLineTool_ = isInstalling;
    Q_EMIT commandLineToolChanged();
}

void IntegrationStates::setAgents(std::map<HarnessKind, AgentIntegrationOutcome> outcomes,
                                  std::optional<std::filesystem::path> resources) {
    if (outcomes == agentOutcomes_ && resources == agentResources_)
        return;
    agentOutcomes_ = std::move(outcomes);
    agentResources_ = std::move(resources);
    Q_EMIT agentsChanged();
}

} // namespace velto
