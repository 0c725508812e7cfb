#include "VeltoDesktop/Setup/AppFederationStepModel.hpp"

#include "VeltoDesktop/Model/AppModel.hpp"
#include "VeltoDesktop/Model/HarnessesModel.hpp"

namespace velto {

AppFederationStepModel::AppFederationStepModel(AppModel& model, QObject* parent)
    : FederationStepModel(parent), model_(model) {
    connect(&model_.organizations(), &OrganizationsModel::rowsChanged, this,
            &FederationStepModel::organizationsChanged);
    connect(&model_.harnesses(), &HarnessesModel::statusesChanged, this,
            &FederationStepModel::harnessesChanged);
}

std::vector<Enrollment> AppFederationStepModel::enrollments() const {
    return model_.organizations().enrollments();
}

const std::vector<HarnessStatus>& AppFederationStepModel::harnesses() const {
    return model_.harnesses().statuses();
}

void AppFederationStepModel::setLendsSubscriptions(bool lends) {
    model_.preferences().setLendsSubscriptions(lends);
}

// The model's own coroutines are handed on, so that nothing of this object is needed once they run.
boost::asio::awaitable<void> AppFederationStepModel::announceHello() {
    return model_.announceHello();
}

boost::asio::awaitable<void> AppFederationStepModel::agreeEverywhere(std::set<DeviceScope> scopes) {
    return model_.scopes().agreeEverywhere(std::move(scopes));
}

} // namespace velto
