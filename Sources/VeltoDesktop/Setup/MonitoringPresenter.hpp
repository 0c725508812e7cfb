#pragma once

#include "VeltoDesktop/Setup/SetupTaskStart.hpp"
#include "VeltoDevice/Enrollment/HarnessKind.hpp"

#include <QObject>
#include <QString>
#include <QVariantList>
#include <set>

namespace velto {

class MonitoringStepModel;

/// The monitoring step: which agents Velto works with, offered once as the installed ones and then as
/// the user switches them. Main thread only.
class MonitoringPresenter final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QVariantList agentRows READ agentRows NOTIFY agentRowsChanged)

public:
    /// `start` runs the agent pass that a choice starts.
    MonitoringPresenter(MonitoringStepModel& model, SetupTaskStart start, QObject* parent = nullptr);

    const std::set<HarnessKind>& monitoredAgents() const { return monitoredAgents_; }
    /// The user's switch of one agent.
    void setMonitors(HarnessKind kind, bool isOn);
    Q_INVOKABLE void setAgent(const QString& kind, bool isOn);

    /// Once per presenter: the installed agents become the chosen ones. Offered before any harness is
    /// known, the detection's result fills the set later, unless the user switched an agent first.
    void offerInstalledAgents();
    /// Stores the chosen agents (none when `on` is false) and starts one agent pass, not awaited.
    void choose(bool on);

    QVariantList agentRows() const;

Q_SIGNALS:
    void agentRowsChanged();

private:
    void setMonitoredAgents(std::set<HarnessKind> agents);
    void harnessesDetected();

    MonitoringStepModel& model_;
    SetupTaskStart start_;
    std::set<HarnessKind> monitoredAgents_;
    bool hasOfferedAgents_ = false;
    bool awaitsDetectedAgents_ = false;
    bool hasTouchedAgents_ = false;
};

} // namespace velto
