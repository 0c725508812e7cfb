#include "VeltoDesktop/Setup/AppPairStepModel.hpp"

#include "VeltoDesktop/Model/AppModel.hpp"

namespace velto {

AppPairStepModel::AppPairStepModel(AppModel& model, QObject* parent) : PairStepModel(parent), model_(model) {
    connect(&model_.enrollment(), &EnrollmentModel::promptChanged, this,
            &PairStepModel::enrollmentPromptChanged);
    connect(&model_.enrollment(), &EnrollmentModel::inFlightChanged, this,
            &PairStepModel::enrollmentInFlightChanged);
    connect(&model_.organizations(), &OrganizationsModel::rowsChanged, this,
            &PairStepModel::organizationsChanged);
}

const std::optional<EnrollmentPrompt>& AppPairStepModel::enrollmentPrompt() const {
    return model_.enrollment().prompt();
}

bool AppPairStepModel::isSpending() const {
    return model_.enrollment().inFlight().isSpending();
}

std::vector<Enrollment> AppPairStepModel::enrollments() const {
    return model_.organizations().enrollments();
}

EnrollmentForm& AppPairStepModel::enrollmentForm() {
    return model_.enrollment().form();
}

void AppPairStepModel::propose(const EnrollmentLink& link) {
    model_.enrollment().propose(link);
}

void AppPairStepModel::dismissPrompt() {
    model_.enrollment().promptClosed();
}

// The model's own coroutine is handed on, so that nothing of this object is needed once it runs.
boost::asio::awaitable<void> AppPairStepModel::confirmEnrollment() {
    return model_.enrollment().confirm();
}

} // namespace velto
