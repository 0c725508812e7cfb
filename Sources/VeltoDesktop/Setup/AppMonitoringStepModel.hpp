#pragma once

#include "VeltoDesktop/Setup/MonitoringStepModel.hpp"

namespace velto {

class AppModel;

/// The monitoring step's view of the application model: reads and calls pass through, and the
/// model's change signals are forwarded.
class AppMonitoringStepModel final : public MonitoringStepModel {
public:
    explicit AppMonitoringStepModel(AppModel& model, QObject* parent = nullptr);

    const std::vector<HarnessStatus>& harnesses() const override;
    bool isDetectingHarnesses() const override;

    void setMonitoredAgents(std::set<HarnessKind> agents) override;
    boost::asio::awaitable<void> reconcileAgents() override;

private:
    AppModel& model_;
};

} // namespace velto
