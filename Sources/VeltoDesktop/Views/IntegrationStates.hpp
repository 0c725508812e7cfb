#pragma once

#include "VeltoDevice/Agents/AgentIntegrationOutcome.hpp"
#include "VeltoDevice/CommandLineTool/CommandLineToolState.hpp"
#include "VeltoDevice/Enrollment/HarnessKind.hpp"
#include "VeltoDevice/LoginItem/LoginItemState.hpp"

#include <QObject>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace velto {

/// The login item, the velto command and the agents' add-ons as the menu shows them and acts on
/// them: their states and refusals, and the operations the menu's items call. Until an owner of
/// those services fills it, every state is `unavailable` and no agent resources are present, so
/// the menu offers none of their items. Each setter notifies only on a change. Main thread.
class IntegrationStates final : public QObject {
    Q_OBJECT

public:
    /// What the menu's items call; each does nothing while unset.
    struct Operations {
        std::function<void(bool opensAtLogin)> setOpensAtLogin;
        std::function<void()> openLoginItemSettings;
        std::function<void()> installCommandLineTool;
        std::function<void()> refreshLoginItem;
        std::function<void()> refreshCommandLineTool;
        std::function<void(HarnessKind, bool worksWith)> setWorksWith;
    };

    explicit IntegrationStates(QObject* parent = nullptr) : QObject(parent) {}

    LoginItemState loginItemState() const { return loginItemState_; }
    /// The sentence of the last refused login item change.
    const std::optional<std::string>& loginItemRefusal() const { return loginItemRefusal_; }
    CommandLineToolState commandLineToolState() const { return commandLineToolState_; }
    const std::optional<std::string>& commandLineToolRefusal() const { return commandLineToolRefusal_; }
    bool isInstallingCommandLineTool() const { return isInstallingCommandLineTool_; }
    const std::map<HarnessKind, AgentIntegrationOutcome>& agentOutcomes() const { return agentOutcomes_; }
    /// The bundle's add-on folder when add-ons can be offered.
    const std::optional<std::filesystem::path>& agentResources() const { return agentResources_; }

    void setLoginItem(LoginItemState state, std::optional<std::string> refusal);
    void setCommandLineTool(CommandLineToolState state, std::optional<std::string> refusal,
                            bool isInstalling);
    void setAgents(std::map<HarnessKind, AgentIntegrationOutcome> outcomes,
                   std::optional<std::filesystem::path> resources);

    Operations& operations() { return operations_; }
    const Operations& operations() const { return operations_; }

Q_SIGNALS:
    void loginItemChanged();
    void commandLineToolChanged();
    void agentsChanged();

private:
    LoginItemState loginItemState_ = LoginItemState::unavailable;
    std::optional<std::string> loginItemRefusal_;
    CommandLineToolState commandLineToolState_ = CommandLineToolState::unavailable;
    std::optional<std::string> commandLineToolRefusal_;
    bool isInstallingCommandLineTool_ = false;
    std::map<HarnessKind, AgentIntegrationOutcome> agentOutcomes_;
    std::optional<std::filesystem::path> agentResources_;
    Operations operations_;
};

} // namespace velto
