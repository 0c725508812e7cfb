#include "VeltoDesktop/Setup/AppPairStepModel.hpp"

#include "VeltoDesktop/Model/AppModel.hpp"

namespace velto {

AppPairStepModel::AppPairStepModel(AppModel& model, QObject* parent) : PairStepModel(parent), model_(model) {
    connect(&model_, &AppModel::enrollmentPromptChanged, this, &PairStepModel::enrollmentPromptChanged);
    connect(&model_, &AppModel::enrollmentInFlightChanged, this, &PairStepModel::enrollmentInFlightChanged);
    connect(&model_, &AppModel::organizationsChanged, this, &PairStepModel::organizationsChanged);
}

const std::optional<EnrollmentPrompt>& AppPairStepModel::enrollmentPrompt() const {
    return model_.enrollmentPrompt();
}

bool AppPairStepModel::isSpending() const {
    return model_.enrollmentInFlight().isSpending();
}

std::vector<Enrollment> AppPairStepModel::enrollments() const {
    return model_.enrollments();
}

EnrollmentForm& AppPairStepModel::enrollmentForm() {
    return model_.enrollmentForm();
}

void AppPairStepModel::propose(const EnrollmentLink& link) {
    model_.propose(link);
}

void AppPairStepModel::dismissPrompt() {
    model_.promptClosed();
}

// The model's own coroutine is handed on, so that nothing of this object is needed once it runs.
boost::asio::awaitable<void> AppPairStepModel::confirmEnrollment() {
    return model_.confirmEnrollment();
}

} // namespace velto
