#include "VeltoDesktop/Setup/AppMonitoringStepModel.hpp"

#include "VeltoDesktop/Model/AppModel.hpp"
#include "VeltoDesktop/Model/HarnessesModel.hpp"

namespace velto {

AppMonitoringStepModel::AppMonitoringStepModel(AppModel& model, QObject* parent)
    : MonitoringStepModel(parent), model_(model) {
    connect(&model_.harnesses(), &HarnessesModel::statusesChanged, this,
            &MonitoringStepModel::harnessesChanged);
    connect(&model_.harnesses(), &HarnessesModel::isDetectingChanged, this,
            &MonitoringStepModel::isDetectingHarnessesChanged);
}

const std::vector<HarnessStatus>& AppMonitoringStepModel::harnesses() const {
    return model_.harnesses().statuses();
}

bool AppMonitoringStepModel::isDetectingHarnesses() const {
    return model_.harnesses().isDetecting();
}

void AppMonitoringStepModel::setMonitoredAgents(std::set<HarnessKind> agents) {
    model_.preferences().setMonitoredAgents(std::move(agents));
}

// The model's own coroutine is handed on, so that nothing of this object is needed once it runs.
boost::asio::awaitable<void> AppMonitoringStepModel::reconcileAgents() {
    return model_.harnesses().reconcileAgents();
}

} // namespace velto
