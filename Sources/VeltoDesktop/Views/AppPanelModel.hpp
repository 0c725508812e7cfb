#pragma once

#include "VeltoDesktop/Views/PanelModel.hpp"

namespace velto {

class AppModel;

/// The panel's view of the application model: its organizations, scopes and photos, the menu's inputs
/// and the harnesses, with their changes; the actions start the model's operations in its tasks.
class AppPanelModel final : public PanelModel {
    Q_OBJECT

public:
    explicit AppPanelModel(AppModel& model, QObject* parent = nullptr);

    QAbstractItemModel* organizationList() const override;
    const std::vector<EnrolledOrganization>& organizations() const override;
    const std::optional<std::string>& problem() const override;
    bool isPaused() const override;
    OverallConnection overallConnection() const override;
    std::optional<DeviceScopes> scopes(const EnrolledOrganization& organization) const override;
    const std::map<std::string, std::string>& scopeRefusals() const override;
    const std::map<std::string, QImage>& organizationPhotos() const override;

    StatusMenuPresentation::Input menuInput() const override;
    const std::vector<HarnessStatus>& harnesses() const override;
    bool isDetectingHarnesses() const override;
    const std::map<HarnessKind, AgentIntegrationOutcome>& agentOutcomes() const override;
    bool offersAddOns() const override;
    bool worksWith(HarnessKind kind) const override;

    void setPaused(bool paused) override;
    void remove(const EnrolledOrganization& organization) override;
    void setScopeGranted(DeviceScope scope, bool isGranted, const std::string& deviceId) override;
    void setOpensAtLogin(bool opens) override;
    void installCommandLineTool() override;
    void setWorksWith(HarnessKind kind, bool worksWith) override;
    void refresh() override;
    void closeMenu() override;
    void presentSetup() override;

private:
    AppModel& model_;
};

} // namespace velto
