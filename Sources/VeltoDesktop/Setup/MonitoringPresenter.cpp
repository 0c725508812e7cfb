#include "VeltoDesktop/Setup/MonitoringPresenter.hpp"

#include "VeltoDesktop/Model/AssignNotifying.hpp"
#include "VeltoDesktop/Setup/AgentIntegrationRow.hpp"
#include "VeltoDesktop/Setup/MonitoringStepModel.hpp"

#include <QVariantMap>

namespace velto {

namespace {

std::set<HarnessKind> installedKinds(const std::vector<HarnessStatus>& harnesses) {
    std::set<HarnessKind> kinds;
    for (const auto& harness : harnesses) {
        if (harness.installedTool())
            kinds.insert(harness.kind);
    }
    return kinds;
}

} // namespace

MonitoringPresenter::MonitoringPresenter(MonitoringStepModel& model, SetupTaskStart start, QObject* parent)
    : QObject(parent), model_(model), start_(std::move(start)) {
    connect(&model_, &MonitoringStepModel::harnessesChanged, this, [this] {
        Q_EMIT agentRowsChanged();
        harnessesDetected();
    });
    connect(&model_, &MonitoringStepModel::isDetectingHarnessesChanged, this,
            &MonitoringPresenter::harnessesDetected);
}

void MonitoringPresenter::setMonitors(HarnessKind kind, bool isOn) {
    hasTouchedAgents_ = true;
    auto agents = monitoredAgents_;
    if (isOn)
        agents.insert(kind);
    else
        agents.erase(kind);
    setMonitoredAgents(std::move(agents));
}

void MonitoringPresenter::setAgent(const QString& kind, bool isOn) {
    if (auto parsed = harnessKindFromRawValue(kind.toStdString()))
        setMonitors(*parsed, isOn);
}

void MonitoringPresenter::setMonitoredAgents(std::set<HarnessKind> agents) {
    assignNotifying(*this, monitoredAgents_, std::move(agents), &MonitoringPresenter::agentRowsChanged);
}

void MonitoringPresenter::offerInstalledAgents() {
    if (hasOfferedAgents_)
        return;
    hasOfferedAgents_ = true;
    if (model_.harnesses().empty()) {
        awaitsDetectedAgents_ = true;
        return;
    }
    setMonitoredAgents(installedKinds(model_.harnesses()));
}

void MonitoringPresenter::harnessesDetected() {
    if (!awaitsDetectedAgents_ || model_.harnesses().empty() || model_.isDetectingHarnesses())
        return;
    awaitsDetectedAgents_ = false;
    if (!hasTouchedAgents_)
        setMonitoredAgents(installedKinds(model_.harnesses()));
}

void MonitoringPresenter::choose(bool on) {
    model_.setMonitoredAgents(on ? monitoredAgents_ : std::set<HarnessKind>());
    start_("reconcile the agents", model_.reconcileAgents());
}

QVariantList MonitoringPresenter::agentRows() const {
    QVariantList rows;
    for (const auto& row : AgentIntegrationRow::rows(model_.harnesses(), monitoredAgents_)) {
        const auto kind = rawValue(row.kind);
        rows.push_back(QVariantMap{
            {QStringLiteral("kind"), QString::fromUtf8(kind.data(), static_cast<qsizetype>(kind.size()))},
            {QStringLiteral("name"), row.name},
            {QStringLiteral("caption"), row.caption},
            {QStringLiteral("isInstalled"), row.isInstalled},
            {QStringLiteral("isOn"), row.isOn}});
    }
    return rows;
}

} // namespace velto
