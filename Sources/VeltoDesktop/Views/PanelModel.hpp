#pragma once

#include "VeltoDesktop/Model/EnrolledOrganization.hpp"
#include "VeltoDesktop/Views/StatusMenuPresentation.hpp"
#include "VeltoDevice/Agents/AgentIntegrationOutcome.hpp"
#include "VeltoDevice/Connection/OverallConnection.hpp"
#include "VeltoDevice/Harness/HarnessStatus.hpp"
#include "VeltoDevice/Scopes/DeviceScopes.hpp"

#include <QAbstractItemModel>
#include <QImage>
#include <QObject>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace velto {

/// What the tray item, the status menu and its organization card read of the application and ask of
/// it. The actions run in tasks of the application's; nothing here waits. Main thread only.
class PanelModel : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~PanelModel() override = default;

    // The organizations.
    /// The organizations as a list model (one row each, keyed by device id).
    virtual QAbstractItemModel* organizationList() const = 0;
    virtual const std::vector<EnrolledOrganization>& organizations() const = 0;
    virtual const std::optional<std::string>& problem() const = 0;
    virtual bool isPaused() const = 0;
    virtual OverallConnection overallConnection() const = 0;
    virtual std::optional<DeviceScopes> scopes(const EnrolledOrganization& organization) const = 0;
    /// Per device id, why its last scope answer failed.
    virtual const std::map<std::string, std::string>& scopeRefusals() const = 0;
    /// Per device id, its organization's cached photo.
    virtual const std::map<std::string, QImage>& organizationPhotos() const = 0;

    // The menu's commands and cards.
    virtual StatusMenuPresentation::Input menuInput() const = 0;
    virtual const std::vector<HarnessStatus>& harnesses() const = 0;
    virtual bool isDetectingHarnesses() const = 0;
    virtual const std::map<HarnessKind, AgentIntegrationOutcome>& agentOutcomes() const = 0;
    /// Whether this copy can add its add-ons to the harnesses.
    virtual bool offersAddOns() const = 0;
    virtual bool worksWith(HarnessKind kind) const = 0;

    // Actions.
    virtual void setPaused(bool paused) = 0;
    virtual void remove(const EnrolledOrganization& organization) = 0;
    virtual void setScopeGranted(DeviceScope scope, bool isGranted, const std::string& deviceId) = 0;
    virtual void setOpensAtLogin(bool opens) = 0;
    virtual void installCommandLineTool() = 0;
    virtual void setWorksWith(HarnessKind kind, bool worksWith) = 0;
    /// The panel opened: the harnesses, the login item and the command are read again.
    virtual void refresh() = 0;
    virtual void closeMenu() = 0;
    virtual void presentSetup() = 0;

Q_SIGNALS:
    void organizationsChanged();
    void problemChanged();
    void isPausedChanged();
    /// The scopes or their refusals changed.
    void scopesChanged();
    void organizationPhotosChanged();
    /// Something else `menuInput` reads changed.
    void menuInputChanged();
    /// The harnesses, their add-ons' outcomes or the user's add-on choices changed.
    void harnessesChanged();
};

} // namespace velto
